// gtest first: Xlib's macros would rename some of its names.
#include <gtest/gtest.h>

#include "x11/gtk_view_probe.h"

#include <X11/keysym.h>

namespace qm::x11test {

namespace {

GtkWidget* pageOf(const gtk::GtkViewWindow& window) {
    return gtk_bin_get_child(GTK_BIN(window.gtkWindow()));
}

}  // namespace

std::optional<Box> nodeOnScreen(const gtk::GtkViewWindow& window, const std::string& identifier) {
    GtkWidget* page = pageOf(window);
    const auto origin = screenRectOf(page);
    if (!origin) return std::nullopt;
    const cairo::Placed placed = window.page();
    std::optional<Box> found;
    const std::function<void(const cairo::Placed&)> find = [&](const cairo::Placed& p) {
        if (p.node && p.node->identifier == identifier)
            found = Box{origin->x + static_cast<int>(p.frame.x), origin->y + static_cast<int>(p.frame.y),
                        static_cast<int>(p.frame.width), static_cast<int>(p.frame.height)};
        for (const auto& child : p.children) find(child);
    };
    find(placed);
    return found;
}

std::vector<std::string> textsOf(const gtk::GtkViewWindow& window) {
    std::vector<std::string> texts;
    platform::views::walk(window.host().tree(), [&](const platform::views::Node& node) {
        if (!node.text.empty() && node.kind != platform::views::Node::Kind::image) texts.push_back(node.text);
    });
    return texts;
}

void clickNode(const gtk::GtkViewWindow& window, const std::string& identifier) {
    const auto where = nodeOnScreen(window, identifier);
    ASSERT_TRUE(where) << identifier << " is not on the screen";
    gtkDesktop().click(where->centerX(), where->centerY(), 1);
}

std::optional<Box> menuItemOnScreen(const gtk::GtkViewWindow& window, const std::string& title) {
    for (GList* menu = gtk_menu_get_for_attach_widget(pageOf(window)); menu; menu = menu->next) {
        GList* items = gtk_container_get_children(GTK_CONTAINER(menu->data));
        std::optional<Box> found;
        for (GList* item = items; item && !found; item = item->next) {
            const char* label = gtk_menu_item_get_label(GTK_MENU_ITEM(item->data));
            if (label && title == label) found = screenRectOf(item->data);
        }
        g_list_free(items);
        if (found) return found;
    }
    return std::nullopt;
}

void typeInto(const gtk::GtkViewWindow& window, unsigned long keysym, bool control) {
    const auto where = screenRectOf(pageOf(window));
    ASSERT_TRUE(where);
    // Without a window manager, the keyboard follows the pointer.
    Desktop& desktop = gtkDesktop();
    desktop.moveTo(where->centerX(), where->centerY());
    if (control) desktop.keyDown(XK_Control_L);
    desktop.tap(keysym);
    if (control) desktop.keyUp(XK_Control_L);
}

}  // namespace qm::x11test
