#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gtk/gtk_active_window_watch.h"
#include "platform/gtk/gtk_object.h"
#include "platform/menus.h"

namespace qm::gtk {

// One item of the status menu. It is a plain item until it is first given a
// state, and from then on a check item, so that only the items that carry a
// state show a check box.
class GtkTrayMenuItem : public platform::MenuItem {
public:
    GtkTrayMenuItem(GtkMenuShell* menu, std::string title, std::string action);
    ~GtkTrayMenuItem() override;
    GtkTrayMenuItem(const GtkTrayMenuItem&) = delete;
    GtkTrayMenuItem& operator=(const GtkTrayMenuItem&) = delete;

    void setTitle(const std::string& title) override;
    void setTarget(platform::ActionTarget* target) override { target_ = target; }
    void setState(platform::ControlState state) override;
    void setEnabled(bool enabled) override;

    GtkWidget* widget() const { return widget_; }

private:
    static void activated(GtkMenuItem* widget, gpointer self);
    GtkWidget* makeWidget(bool checkable);
    void showState();

    GtkMenuShell* menu_;
    std::string title_;
    std::string action_;
    platform::ActionTarget* target_ = nullptr;
    std::optional<platform::ControlState> state_;
    bool enabled_ = true;
    GtkWidget* widget_;  // owned by the menu; a reference of ours keeps it while we use it
};

// The status item's menu, a GTK menu that AppIndicator exports over D-Bus or
// the tray icon pops up. Hosts that show the exported menu never say when they
// open it, so the delegate is told both when GTK shows the menu and when the
// active window changes, which is when what the items show goes stale. A tray
// menu has no keyboard focus of its own, so it shows no key equivalents: they
// would not work.
class GtkTrayMenu : public platform::Menu {
public:
    GtkTrayMenu();
    ~GtkTrayMenu() override;
    GtkTrayMenu(const GtkTrayMenu&) = delete;
    GtkTrayMenu& operator=(const GtkTrayMenu&) = delete;

    platform::MenuItem& addItem(const std::string& title, const std::string& action,
                                const std::string& keyEquivalent) override;
    void addSeparator() override;
    void setDelegate(platform::MenuDelegate* delegate) override;
    // GTK never enables items by itself: the flags the program sets hold.
    void setAutoenablesItems(bool) override {}

    GtkMenu* gtkMenu() const { return GTK_MENU(menu_.get()); }

private:
    static void shown(GtkWidget* menu, gpointer self);
    void willOpen();

    OwnedWidget menu_;
    std::vector<std::unique_ptr<GtkTrayMenuItem>> items_;
    platform::MenuDelegate* delegate_ = nullptr;
    std::unique_ptr<GtkActiveWindowWatch> activeWindow_;
};

}  // namespace qm::gtk
