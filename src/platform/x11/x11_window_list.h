#pragma once

#include <optional>

#include "platform/value.h"
#include "platform/window_list.h"
#include "platform/x11/x11_screens.h"
#include "platform/x11/x11_window_stack.h"

namespace qm::x11 {

// The shown application windows, front to back, as the window server's
// entries: the number is the application's window, the owner the process
// behind it, the bounds those of its frame (decorations included) in Quartz
// space, and the layer 0 for ordinary application windows. Docks lie on the
// dock's layer, palettes, menus and the like on the floating one, the
// desktop below everything. All of it comes from the window stack, without a
// word to the server; a window shown a moment ago may be missing still.
class X11WindowList : public platform::WindowList {
public:
    X11WindowList(const WindowStack& stack, const X11Screens& screens) : stack_(stack), screens_(screens) {}

    std::optional<platform::Value> copyWindowInfo(platform::WindowListOptions options,
                                                  platform::WindowID relativeTo) override;

private:
    const WindowStack& stack_;
    const X11Screens& screens_;
};

}  // namespace qm::x11
