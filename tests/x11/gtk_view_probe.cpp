#include "x11/gtk_view_probe.h"

#include <gtest/gtest.h>

namespace qm::x11test {

namespace {

GtkWidget* pageOf(const x11::GtkViewWindow& window) {
    return gtk_bin_get_child(GTK_BIN(window.gtkWindow()));
}

}  // namespace

std::optional<ScreenRect> nodeOnScreen(const x11::GtkViewWindow& window, const std::string& identifier) {
    GtkWidget* page = pageOf(window);
    const auto origin = screenRectOf(page);
    if (!origin) return std::nullopt;
    const cairo::Placed placed = window.page();
    std::optional<ScreenRect> found;
    const std::function<void(const cairo::Placed&)> find = [&](const cairo::Placed& p) {
        if (p.node && p.node->identifier == identifier)
            found = ScreenRect{origin->x + static_cast<int>(p.frame.x), origin->y + static_cast<int>(p.frame.y),
                               static_cast<int>(p.frame.width), static_cast<int>(p.frame.height)};
        for (const auto& child : p.children) find(child);
    };
    find(placed);
    return found;
}

std::vector<std::string> textsOf(const x11::GtkViewWindow& window) {
    std::vector<std::string> texts;
    platform::views::walk(window.host().tree(), [&](const platform::views::Node& node) {
        if (!node.text.empty() && node.kind != platform::views::Node::Kind::image) texts.push_back(node.text);
    });
    return texts;
}

void clickNode(const x11::GtkViewWindow& window, const std::string& identifier) {
    const auto where = nodeOnScreen(window, identifier);
    ASSERT_TRUE(where) << identifier << " is not on the screen";
    Desktop::instance().click(where->centerX(), where->centerY());
}

std::optional<ScreenRect> menuItemOnScreen(const x11::GtkViewWindow& window, const std::string& title) {
    for (GList* menu = gtk_menu_get_for_attach_widget(pageOf(window)); menu; menu = menu->next) {
        GList* items = gtk_container_get_children(GTK_CONTAINER(menu->data));
        std::optional<ScreenRect> found;
        for (GList* item = items; item && !found; item = item->next) {
            const char* label = gtk_menu_item_get_label(GTK_MENU_ITEM(item->data));
            if (label && title == label) found = screenRectOf(item->data);
        }
        g_list_free(items);
        if (found) return found;
    }
    return std::nullopt;
}

void typeInto(const x11::GtkViewWindow& window, unsigned long keysym, bool control) {
    const auto where = screenRectOf(pageOf(window));
    ASSERT_TRUE(where);
    // Without a window manager, the keyboard follows the pointer.
    Desktop::instance().moveTo(where->centerX(), where->centerY());
    Desktop::instance().key(keysym, control);
}

}  // namespace qm::x11test
