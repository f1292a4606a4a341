#pragma once

#include <optional>

#include "platform/value.h"
#include "platform/window_list.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_screens.h"

namespace qm::x11 {

// The window manager's client windows, front to back, as the window server's
// entries: the number is the client window, the owner the process behind it,
// the bounds those of its frame (decorations included) in Quartz space, and
// the layer 0 for ordinary application windows. Docks lie on the dock's
// layer, palettes, menus and the like on the floating one, the desktop below
// everything. Without a window manager that keeps the stacking list there is
// no answer.
class X11WindowList : public platform::WindowList {
public:
    X11WindowList(Connection& connection, const X11Screens& screens) : connection_(connection), screens_(screens) {}

    std::optional<platform::Value> copyWindowInfo(platform::WindowListOptions options,
                                                  platform::WindowID relativeTo) override;

private:
    std::optional<platform::Value> entry(Window window, platform::WindowListOptions options);
    std::optional<platform::Rect> frameBounds(Window window);
    int64_t layer(Window window);

    Connection& connection_;
    const X11Screens& screens_;
};

}  // namespace qm::x11
