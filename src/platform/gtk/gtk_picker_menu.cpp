#include "platform/gtk/gtk_picker_menu.h"

#include <cmath>
#include <memory>

namespace qm::gtk {

using platform::views::Node;

namespace {

// What choosing one option of the menu does.
struct Choice {
    platform::views::ViewHost& host;
    Node picker;  // a copy: the host's tree may be replaced while the menu is up
    int tag;
};

void chosen(GtkMenuItem*, gpointer data) {
    const auto* choice = static_cast<const Choice*>(data);
    choice->host.change(choice->picker, choice->tag);
}

void forget(gpointer data, GClosure*) {
    delete static_cast<Choice*>(data);
}

GtkWidget* optionItem(const Node& picker, const platform::views::Option& option, platform::views::ViewHost& host) {
    GtkWidget* item = gtk_check_menu_item_new_with_label(option.title.c_str());
    gtk_check_menu_item_set_draw_as_radio(GTK_CHECK_MENU_ITEM(item), TRUE);
    // Marked before it is connected: marking an item activates it.
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), option.tag == picker.value);
    // The handler owns its choice, which goes when the item does.
    g_signal_connect_data(item, "activate", G_CALLBACK(chosen),
                          std::make_unique<Choice>(Choice{host, picker, option.tag}).release(), forget,
                          GConnectFlags{});
    return item;
}

}  // namespace

OwnedWidget popUpPickerMenu(const Node& picker, const platform::Rect& frame, GtkWidget* page,
                            platform::views::ViewHost& host) {
    OwnedWidget menu = own(gtk_menu_new());
    for (const auto& option : picker.options)
        gtk_menu_shell_append(GTK_MENU_SHELL(menu.get()), optionItem(picker, option, host));
    gtk_widget_show_all(menu.get());
    gtk_menu_attach_to_widget(GTK_MENU(menu.get()), page, nullptr);
    const GdkRectangle at{static_cast<int>(std::lround(frame.x)), static_cast<int>(std::lround(frame.y)),
                          static_cast<int>(std::lround(frame.width)), static_cast<int>(std::lround(frame.height))};
    gtk_menu_popup_at_rect(GTK_MENU(menu.get()), gtk_widget_get_window(page), &at, GDK_GRAVITY_SOUTH_WEST,
                           GDK_GRAVITY_NORTH_WEST, nullptr);
    return menu;
}

}  // namespace qm::gtk
