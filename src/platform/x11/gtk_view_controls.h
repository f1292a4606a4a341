#pragma once

#include <cairo.h>

#include <memory>

#include "platform/cairo/view_layout.h"
#include "platform/geometry.h"
#include "platform/views/view.h"

namespace qm::x11 {

// A node the user is working with the pointer, from the press of the mouse
// button to its release. Each node kind a user can work has a control of its
// own, made by controlAt; a new kind is one more control there.
class ViewControl {
public:
    virtual ~ViewControl() = default;
    // The pointer moved with the button held; p in page coordinates.
    virtual void drag(platform::Point) {}
    // The button came up at p. This may run an action, which may end the
    // window and the control with it.
    virtual void release(platform::Point p) = 0;
    // Drawn over the page while the button is held.
    virtual void paintHeld(cairo_t* cr) const = 0;
};

// The control for a press at p of the laid-out page, if the node there is one
// the user works; its actions run in host.
std::unique_ptr<ViewControl> controlAt(const cairo::Placed& page, platform::Point p, platform::views::ViewHost& host);

}  // namespace qm::x11
