#include "platform/x11/x11_window_list.h"

#include <X11/Xatom.h>

#include <algorithm>

#include "platform/x11/x11_error_trap.h"
#include "platform/x11/x11_properties.h"

namespace qm::x11 {

using platform::Value;

namespace {

// The window server's levels, which the program compares against 0.
constexpr int64_t desktopLayer = -2147483623;
constexpr int64_t floatingLayer = 3;
constexpr int64_t dockLayer = 20;

}  // namespace

std::optional<Value> X11WindowList::copyWindowInfo(platform::WindowListOptions options, platform::WindowID) {
    Display* d = connection_.display();
    ErrorTrap trap(d);
    auto stacking = cardinals(d, connection_.root(), connection_.atom("_NET_CLIENT_LIST_STACKING"), XA_WINDOW);
    if (stacking.empty()) return std::nullopt;
    // The manager lists them bottom to top.
    std::reverse(stacking.begin(), stacking.end());
    Value::Array entries;
    for (const unsigned long window : stacking)
        if (auto e = entry(static_cast<Window>(window), options)) entries.push_back(std::move(*e));
    return Value(std::move(entries));
}

std::optional<Value> X11WindowList::entry(Window window, platform::WindowListOptions options) {
    Display* d = connection_.display();
    XWindowAttributes attributes;
    // Gone meanwhile, or not shown (minimised, on another workspace).
    if (!XGetWindowAttributes(d, window, &attributes)) return std::nullopt;
    const bool onScreen = attributes.map_state == IsViewable;
    if ((options & platform::windowListOptionOnScreenOnly) && !onScreen) return std::nullopt;
    const int64_t level = layer(window);
    if ((options & platform::windowListExcludeDesktopElements) && level == desktopLayer) return std::nullopt;
    const auto bounds = frameBounds(window);
    if (!bounds) return std::nullopt;

    Value::Dictionary entry{{std::string(platform::window_key::number), static_cast<int64_t>(window)},
                            {std::string(platform::window_key::layer), level},
                            {std::string(platform::window_key::bounds), platform::dictionaryFromRect(*bounds)}};
    if (const auto pid = windowProcess(d, window, connection_.atom("_NET_WM_PID")))
        entry.emplace_back(std::string(platform::window_key::ownerPID), int64_t{*pid});
    return Value(std::move(entry));
}

// The client's own area, where it lies on the root window whatever frame the
// manager put around it, widened by the frame the manager says it drew.
std::optional<platform::Rect> X11WindowList::frameBounds(Window window) {
    Display* d = connection_.display();
    Window root, child;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    if (!XGetGeometry(d, window, &root, &x, &y, &width, &height, &border, &depth)) return std::nullopt;
    if (!XTranslateCoordinates(d, window, connection_.root(), 0, 0, &x, &y, &child)) return std::nullopt;
    auto extents = cardinals(d, window, connection_.atom("_NET_FRAME_EXTENTS"), XA_CARDINAL);
    extents.resize(4, 0);  // left, right, top, bottom
    const double left = static_cast<double>(extents[0]), right = static_cast<double>(extents[1]);
    const double top = static_cast<double>(extents[2]), bottom = static_cast<double>(extents[3]);
    const platform::Point origin = screens_.toQuartz(x - left, y - top);
    return platform::Rect{origin.x, origin.y, width + left + right, height + top + bottom};
}

int64_t X11WindowList::layer(Window window) {
    Display* d = connection_.display();
    const auto type = cardinal(d, window, connection_.atom("_NET_WM_WINDOW_TYPE"), XA_ATOM);
    if (!type || *type == connection_.atom("_NET_WM_WINDOW_TYPE_NORMAL") ||
        *type == connection_.atom("_NET_WM_WINDOW_TYPE_DIALOG"))
        return 0;
    if (*type == connection_.atom("_NET_WM_WINDOW_TYPE_DOCK")) return dockLayer;
    if (*type == connection_.atom("_NET_WM_WINDOW_TYPE_DESKTOP")) return desktopLayer;
    return floatingLayer;
}

}  // namespace qm::x11
