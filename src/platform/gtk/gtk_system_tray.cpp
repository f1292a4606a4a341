#include "platform/gtk/gtk_system_tray.h"

#include <X11/Xatom.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <string>

namespace qm::gtk {

namespace {

Window manager(Display* x) {
    const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(x));
    return XGetSelectionOwner(x, gdk_x11_get_xatom_by_name(selection.c_str()));
}

}  // namespace

bool systemTrayRunning() {
    return manager(gdk_x11_get_default_xdisplay()) != None;
}

// The foreground is the first of the four colours, each red, green and blue
// from 0 to 65535.
std::optional<GdkRGBA> systemTrayForeground() {
    Display* x = gdk_x11_get_default_xdisplay();
    const Window tray = manager(x);
    if (tray == None) return std::nullopt;
    GdkDisplay* display = gdk_display_get_default();
    // The tray may be gone by the time it is asked.
    gdk_x11_display_error_trap_push(display);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(x, tray, gdk_x11_get_xatom_by_name("_NET_SYSTEM_TRAY_COLORS"), 0, 12, False,
                                          XA_CARDINAL, &type, &format, &count, &after, &data);
    gdk_x11_display_error_trap_pop_ignored(display);
    std::optional<GdkRGBA> color;
    if (status == Success && type == XA_CARDINAL && format == 32 && count >= 3 && data) {
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        const auto channel = [&](int i) { return static_cast<double>(std::min(values[i], 65535UL)) / 65535; };
        color = GdkRGBA{channel(0), channel(1), channel(2), 1};
    }
    if (data) XFree(data);
    return color;
}

}  // namespace qm::gtk
