// A GTK application with the kinds of links AT-SPI shows: a link button, a
// link inside a label's text, and plain text beside them. Once its window is
// on screen it prints where each one is, "name x y width height", one a line,
// then "ready".
#include <gtk/gtk.h>

#include <cstdio>

namespace {

GtkWidget* widgets[3];
const char* const names[3] = {"button", "label", "plain"};

gboolean report(gpointer) {
    for (int i = 0; i < 3; ++i) {
        GtkWidget* top = gtk_widget_get_toplevel(widgets[i]);
        int x = 0, y = 0, originX = 0, originY = 0;
        gtk_widget_translate_coordinates(widgets[i], top, 0, 0, &x, &y);
        gdk_window_get_origin(gtk_widget_get_window(top), &originX, &originY);
        std::printf("%s %d %d %d %d\n", names[i], originX + x, originY + y, gtk_widget_get_allocated_width(widgets[i]),
                    gtk_widget_get_allocated_height(widgets[i]));
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return G_SOURCE_REMOVE;
}

void mapped(GtkWidget*, GdkEvent*, gpointer) {
    // After the first frame, so that every widget has its place.
    g_idle_add(report, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Links");
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 12);
    gtk_container_set_border_width(GTK_CONTAINER(box), 12);
    widgets[0] = gtk_link_button_new_with_label("https://example.org/button", "A link button");
    widgets[1] = gtk_label_new(nullptr);
    gtk_label_set_markup(GTK_LABEL(widgets[1]),
                         "<a href=\"https://example.org/label\">The manual</a> has everything about it.");
    widgets[2] = gtk_label_new("Plain text, with no link in it at all.");
    // Each as wide as its content, from the left: the label's link is where its text starts.
    for (GtkWidget* widget : widgets) {
        gtk_widget_set_halign(widget, GTK_ALIGN_START);
        gtk_box_pack_start(GTK_BOX(box), widget, FALSE, FALSE, 0);
    }
    gtk_container_add(GTK_CONTAINER(window), box);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    g_signal_connect(window, "map-event", G_CALLBACK(mapped), nullptr);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
