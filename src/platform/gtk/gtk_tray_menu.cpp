#include "platform/gtk/gtk_tray_menu.h"

#include <algorithm>

namespace qm::gtk {

GtkTrayMenuItem::GtkTrayMenuItem(GtkMenuShell* menu, std::string title, std::string action)
    : menu_(menu), title_(std::move(title)), action_(std::move(action)), widget_(makeWidget(false)) {
    gtk_menu_shell_append(menu_, widget_);
}

GtkTrayMenuItem::~GtkTrayMenuItem() {
    g_signal_handlers_disconnect_by_data(widget_, this);
    g_object_unref(widget_);
}

// Titles are shown as they are: an underscore is no mnemonic.
GtkWidget* GtkTrayMenuItem::makeWidget(bool checkable) {
    GtkWidget* widget =
        checkable ? gtk_check_menu_item_new_with_label(title_.c_str()) : gtk_menu_item_new_with_label(title_.c_str());
    g_object_ref_sink(widget);
    gtk_widget_set_sensitive(widget, enabled_);
    g_signal_connect(widget, "activate", G_CALLBACK(&GtkTrayMenuItem::activated), this);
    gtk_widget_show(widget);
    return widget;
}

// Through the item's label itself: the D-Bus export escapes underscores for
// a label's change, but not for a change of the item's "label" property.
void GtkTrayMenuItem::setTitle(const std::string& title) {
    title_ = title;
    gtk_label_set_text(GTK_LABEL(gtk_bin_get_child(GTK_BIN(widget_))), title_.c_str());
}

void GtkTrayMenuItem::setState(platform::ControlState state) {
    state_ = state;
    if (!GTK_IS_CHECK_MENU_ITEM(widget_)) {
        // The check item takes the plain item's place in the menu.
        GList* siblings = gtk_container_get_children(GTK_CONTAINER(menu_));
        const gint position = g_list_index(siblings, widget_);
        g_list_free(siblings);
        GtkWidget* plain = widget_;
        widget_ = makeWidget(true);
        gtk_menu_shell_insert(menu_, widget_, position);
        g_signal_handlers_disconnect_by_data(plain, this);
        gtk_widget_destroy(plain);
        g_object_unref(plain);
    }
    showState();
}

// GTK changes a check item's state by activating it, which is no choice of the user's.
void GtkTrayMenuItem::showState() {
    if (!GTK_IS_CHECK_MENU_ITEM(widget_)) return;
    g_signal_handlers_block_by_func(widget_, reinterpret_cast<gpointer>(&GtkTrayMenuItem::activated), this);
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(widget_), state_ == platform::ControlState::on);
    g_signal_handlers_unblock_by_func(widget_, reinterpret_cast<gpointer>(&GtkTrayMenuItem::activated), this);
}

void GtkTrayMenuItem::setEnabled(bool enabled) {
    enabled_ = enabled;
    gtk_widget_set_sensitive(widget_, enabled_);
}

// The action may end the menu and this item with it; nothing is touched after it.
void GtkTrayMenuItem::activated(GtkMenuItem*, gpointer self) {
    auto* item = static_cast<GtkTrayMenuItem*>(self);
    // GTK has flipped a check item already; what it shows is the program's to say.
    item->showState();
    if (item->target_) item->target_->performAction(item->action_, *item);
}

GtkTrayMenu::GtkTrayMenu() : menu_(own(gtk_menu_new())) {
    g_signal_connect(menu_.get(), "show", G_CALLBACK(&GtkTrayMenu::shown), this);
}

GtkTrayMenu::~GtkTrayMenu() {
    g_signal_handlers_disconnect_by_data(menu_.get(), this);
}

platform::MenuItem& GtkTrayMenu::addItem(const std::string& title, const std::string& action, const std::string&) {
    items_.push_back(std::make_unique<GtkTrayMenuItem>(GTK_MENU_SHELL(menu_.get()), title, action));
    return *items_.back();
}

void GtkTrayMenu::addSeparator() {
    GtkWidget* separator = gtk_separator_menu_item_new();
    gtk_widget_show(separator);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu_.get()), separator);
}

void GtkTrayMenu::setDelegate(platform::MenuDelegate* delegate) {
    delegate_ = delegate;
    activeWindow_ = delegate_ ? std::make_unique<GtkActiveWindowWatch>([this] { willOpen(); }) : nullptr;
}

void GtkTrayMenu::shown(GtkWidget*, gpointer self) {
    static_cast<GtkTrayMenu*>(self)->willOpen();
}

void GtkTrayMenu::willOpen() {
    if (delegate_) delegate_->menuWillOpen(*this);
}

}  // namespace qm::gtk
