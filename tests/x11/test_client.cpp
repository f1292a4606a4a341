// A GTK3 application for the end-to-end tests: the kinds of links AT-SPI
// shows (a label that starts with a link, a link button) and plain text, a
// scrollable list, and a log on standard output of every button, scroll and
// key event it receives, one line each, with the device that sent it:
//   place <widget> <x> <y> <width> <height>   where label, button and plain are
//   ready <window>            the window is on screen, every widget in its place
//   press <button> <device> <time>   release <button> <device> <time>
//                             (time: the monotonic clock in microseconds)
//   orphan <button> <device>  a release whose press never came
//   scroll <up|down|left|right|smooth> <device>
//   key <name>                value <scroll position>
//   lit <row>  unlit <row>    a row of the list lit up under a pointer, or went dark
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <set>
#include <string>
#include <utility>

namespace {

std::set<unsigned> pressed;

const char* deviceName(GdkEvent* event) {
    GdkDevice* device = gdk_event_get_source_device(event);
    return device ? gdk_device_get_name(device) : "none";
}

std::string words(const char* name) {
    std::string text = name;
    for (char& c : text)
        if (c == ' ') c = '_';
    return text;
}

const char* direction(GdkScrollDirection d) {
    switch (d) {
        case GDK_SCROLL_UP: return "up";
        case GDK_SCROLL_DOWN: return "down";
        case GDK_SCROLL_LEFT: return "left";
        case GDK_SCROLL_RIGHT: return "right";
        default: return "smooth";
    }
}

void log(GdkEvent* event, gpointer) {
    const std::string device = words(deviceName(event));
    switch (event->type) {
        case GDK_BUTTON_PRESS:
            pressed.insert(event->button.button);
            std::printf("press %u %s %lld\n", event->button.button, device.c_str(),
                        static_cast<long long>(g_get_monotonic_time()));
            break;
        case GDK_BUTTON_RELEASE:
            std::printf("%s %u %s\n", pressed.erase(event->button.button) ? "release" : "orphan", event->button.button,
                        device.c_str());
            break;
        case GDK_SCROLL: std::printf("scroll %s %s\n", direction(event->scroll.direction), device.c_str()); break;
        case GDK_KEY_PRESS: std::printf("key %s\n", gdk_keyval_name(event->key.keyval)); break;
        default: break;
    }
    gtk_main_do_event(event);
}

GtkWidget* window;
std::pair<const char*, GtkWidget*> places[3];

// After the first frame, so that every widget has its place.
gboolean announce(gpointer) {
    for (const auto& [name, widget] : places) {
        int x = 0, y = 0, originX = 0, originY = 0;
        gtk_widget_translate_coordinates(widget, window, 0, 0, &x, &y);
        gdk_window_get_origin(gtk_widget_get_window(window), &originX, &originY);
        std::printf("place %s %d %d %d %d\n", name, originX + x, originY + y, gtk_widget_get_allocated_width(widget),
                    gtk_widget_get_allocated_height(widget));
    }
    std::printf("ready %lu\n", gdk_x11_window_get_xid(gtk_widget_get_window(window)));
    return G_SOURCE_REMOVE;
}

void hovered(GtkWidget* row, GtkStateFlags before, gpointer) {
    const bool lit = gtk_widget_get_state_flags(row) & GTK_STATE_FLAG_PRELIGHT;
    if (lit != bool(before & GTK_STATE_FLAG_PRELIGHT))
        std::printf("%s %d\n", lit ? "lit" : "unlit", gtk_list_box_row_get_index(GTK_LIST_BOX_ROW(row)) + 1);
}

void scrolled(GtkAdjustment* adjustment, gpointer) {
    std::printf("value %.0f\n", gtk_adjustment_get_value(adjustment));
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    gdk_set_allowed_backends("x11");
    g_set_prgname("quillmere-test-client");
    gtk_init(&argc, &argv);
    // After the initialisation, which would derive the class from the program's name.
    gdk_set_program_class("QuillmereTestClient");

    window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Quillmere test client");
    gtk_window_set_default_size(GTK_WINDOW(window), 600, 500);
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    GtkWidget* label = gtk_label_new(nullptr);
    gtk_label_set_markup(GTK_LABEL(label), "<a href=\"https://example.org/\">The manual</a> has everything about it.");
    places[0] = {"label", label};
    places[1] = {"button", gtk_link_button_new_with_label("https://example.org/button", "A link button")};
    places[2] = {"plain", gtk_label_new("Plain text, with no link in it at all.")};
    // The links must not open anything: the log says what happened.
    g_signal_connect(label, "activate-link", G_CALLBACK(+[](GtkLabel*, gchar*, gpointer) { return TRUE; }), nullptr);
    g_signal_connect(places[1].second, "activate-link", G_CALLBACK(+[](GtkLinkButton*, gpointer) { return TRUE; }),
                     nullptr);
    GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_widget_set_vexpand(scroller, TRUE);
    GtkWidget* list = gtk_list_box_new();
    for (int row = 1; row <= 2000; ++row) {
        const std::string text = "Row " + std::to_string(row) +
                                 " of a long list that is wide enough to scroll "
                                 "sideways as well, so that both wheels have something to move";
        gtk_list_box_insert(GTK_LIST_BOX(list), gtk_label_new(text.c_str()), -1);
        g_signal_connect(gtk_list_box_get_row_at_index(GTK_LIST_BOX(list), row - 1), "state-flags-changed",
                         G_CALLBACK(hovered), nullptr);
    }
    gtk_container_add(GTK_CONTAINER(scroller), list);
    // Each as wide as its content, from the left: the label's link is where its text starts.
    for (const auto& [name, widget] : places) {
        gtk_widget_set_halign(widget, GTK_ALIGN_START);
        gtk_box_pack_start(GTK_BOX(box), widget, FALSE, FALSE, 4);
    }
    gtk_box_pack_start(GTK_BOX(box), scroller, TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(window), box);

    g_signal_connect(gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(scroller)), "value-changed",
                     G_CALLBACK(scrolled), nullptr);
    g_signal_connect(window, "map-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer) {
                         g_idle_add(announce, nullptr);
                         return FALSE;
                     }),
                     nullptr);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gdk_event_handler_set(log, nullptr, nullptr);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
