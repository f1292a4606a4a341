#include "platform/atspi/atspi_window_under_point.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

#include <cstdint>

namespace qm::atspi {

namespace {

// Deep enough for any window manager's frames.
constexpr int maxDepth = 8;

bool hasProperty(Display* display, Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const bool found = XGetWindowProperty(display, window, property, 0, 0, False, AnyPropertyType, &type, &format,
                                          &count, &after, &data) == Success &&
                       type != None;
    if (data) XFree(data);
    return found;
}

std::optional<int32_t> processOf(Display* display, Window window) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::optional<int32_t> pid;
    if (XGetWindowProperty(display, window, gdk_x11_get_xatom_by_name("_NET_WM_PID"), 0, 1, False, XA_CARDINAL, &type,
                           &format, &count, &after, &data) == Success &&
        type == XA_CARDINAL && format == 32 && count == 1) {
        const unsigned long value = *reinterpret_cast<unsigned long*>(data);
        if (value > 0 && value <= INT32_MAX) pid = static_cast<int32_t>(value);
    }
    if (data) XFree(data);
    return pid;
}

std::optional<int32_t> search(Display* display, int x, int y) {
    const Window root = DefaultRootWindow(display);
    const Atom wmState = gdk_x11_get_xatom_by_name("WM_STATE");
    std::optional<int32_t> topLevel;
    Window window = root;
    for (int depth = 0; depth < maxDepth; ++depth) {
        int childX = 0;
        int childY = 0;
        Window child = None;
        if (!XTranslateCoordinates(display, root, window, x, y, &childX, &childY, &child) || child == None) break;
        window = child;
        if (hasProperty(display, window, wmState)) return processOf(display, window);
        if (depth == 0) topLevel = processOf(display, window);
    }
    return topLevel;
}

}  // namespace

std::optional<int32_t> processOfWindowAt(int x, int y) {
    GdkDisplay* gdk = gdk_display_get_default();
    if (!gdk || !GDK_IS_X11_DISPLAY(gdk)) return std::nullopt;
    // A window may go away between two requests; its error is expected, not fatal.
    gdk_x11_display_error_trap_push(gdk);
    const auto pid = search(GDK_DISPLAY_XDISPLAY(gdk), x, y);
    gdk_x11_display_error_trap_pop_ignored(gdk);
    return pid;
}

}  // namespace qm::atspi
