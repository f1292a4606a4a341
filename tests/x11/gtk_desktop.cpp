// gtest first: Xlib's macros would rename some of its names.
#include <gtest/gtest.h>

#include "x11/gtk_desktop.h"

#include <X11/keysym.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <functional>
#include <memory>

namespace qm::x11test {

namespace {

// This process becomes a program on the desktop: nothing of the user's session
// leaks in, and nothing it writes leaks out.
void liveOn(const Desktop& desktop) {
    const auto environment = desktop.environment();
    clearenv();
    for (const auto& entry : environment) {
        const auto equals = entry.find('=');
        setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
    }
}

GtkWidget* pageOf(const gtk::GtkViewWindow& window) {
    return gtk_bin_get_child(GTK_BIN(window.gtkWindow()));
}

std::unique_ptr<Desktop>& shared() {
    static std::unique_ptr<Desktop> desktop;
    return desktop;
}

// The desktop comes up before the first test and goes after the last; a test
// process that only lists its tests starts nothing.
class DesktopEnvironment : public testing::Environment {
public:
    void SetUp() override { gtkDesktop(); }
    void TearDown() override { shared().reset(); }
};

const testing::Environment* const desktopEnvironment = testing::AddGlobalTestEnvironment(new DesktopEnvironment);

}  // namespace

Desktop& gtkDesktop() {
    auto& desktop = shared();
    if (!desktop) {
        desktop = std::make_unique<Desktop>(WindowManager::none);
        desktop->startSessionBus();
        liveOn(*desktop);
        gtk_init(nullptr, nullptr);
    }
    return *desktop;
}

std::optional<Box> screenRectOf(void* gtkWidget) {
    auto* widget = GTK_WIDGET(gtkWidget);
    GtkWidget* top = gtk_widget_get_toplevel(widget);
    GdkWindow* window = gtk_widget_get_window(top);
    if (!window || !gtk_widget_get_mapped(widget)) return std::nullopt;
    int x = 0, y = 0, originX = 0, originY = 0;
    if (!gtk_widget_translate_coordinates(widget, top, 0, 0, &x, &y)) return std::nullopt;
    gdk_window_get_origin(window, &originX, &originY);
    return Box{originX + x, originY + y, gtk_widget_get_allocated_width(widget),
               gtk_widget_get_allocated_height(widget)};
}

bool isViewable(void* gtkWidget) {
    GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(gtkWidget));
    if (!window || !gtk_widget_get_mapped(GTK_WIDGET(gtkWidget))) return false;
    XWindowAttributes attributes{};
    return XGetWindowAttributes(gtkDesktop().x(), GDK_WINDOW_XID(window), &attributes) &&
           attributes.map_state == IsViewable;
}

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

void typeInto(void* gtkWidget, unsigned long keysym, bool control) {
    const auto where = screenRectOf(gtkWidget);
    ASSERT_TRUE(where);
    // Without a window manager, the keyboard follows the pointer.
    Desktop& desktop = gtkDesktop();
    desktop.moveTo(where->centerX(), where->centerY());
    if (control) desktop.keyDown(XK_Control_L);
    desktop.tap(keysym);
    if (control) desktop.keyUp(XK_Control_L);
}

void typeInto(const gtk::GtkViewWindow& window, unsigned long keysym, bool control) {
    typeInto(pageOf(window), keysym, control);
}

}  // namespace qm::x11test
