// gtest first: Xlib's macros would rename some of its names.
#include <gtest/gtest.h>

#include "x11/gtk_desktop.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <cstdlib>
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

}  // namespace qm::x11test
