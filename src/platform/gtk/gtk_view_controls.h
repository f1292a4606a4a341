#pragma once

#include <cairo.h>
#include <gtk/gtk.h>

#include <memory>

#include "platform/cairo/view_layout.h"
#include "platform/geometry.h"
#include "platform/gtk/gtk_object.h"
#include "platform/views/view.h"

namespace qm::gtk {

// A node the user is working with the pointer, from the press of the mouse
// button to its release. Each node kind a user can work has a control of its
// own, made by controlAt; a new kind is one more control there.
class ViewControl {
public:
    virtual ~ViewControl() = default;
    // The pointer is at p (page coordinates) with the button held: told at the
    // press and at every move. This may change the view, not end the window.
    virtual void drag(platform::Point) {}
    // The button came up at p. This may run an action, which may end the
    // window and the control with it.
    virtual void release(platform::Point p) = 0;
    // Drawn over the page while the button is held.
    virtual void paintHeld(cairo_t*) const {}
};

// What the controls of a window work with: the host runs their actions and
// changes, the page widget shows the view, and a pop-up menu a control opens
// is kept in popUp, which the window ends with itself.
struct ControlContext {
    platform::views::ViewHost& host;
    GtkWidget* page;
    OwnedWidget& popUp;
};

// The control for a press at p of the laid-out page, if the node there is one
// the user works.
std::unique_ptr<ViewControl> controlAt(const cairo::Placed& page, platform::Point p, const ControlContext& context);

}  // namespace qm::gtk
