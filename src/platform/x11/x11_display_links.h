#pragma once

#include "platform/display_link.h"
#include "platform/linux/glib_run_loop.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_screens.h"

namespace qm::x11 {

// Frames at the refresh rate XRandR gives for the monitor under the point,
// timed by the main loop: X11 tells no client when a monitor refreshes, so a
// frame is a tick at the monitor's rate, and a late tick skips the frames it
// missed. 60 Hz where the rate is unknown (Xvfb says 0).
class X11DisplayLinks : public platform::DisplayLinks {
public:
    X11DisplayLinks(Connection& connection, X11Screens& screens, desktop::GLibRunLoop& runLoop)
        : connection_(connection), screens_(screens), runLoop_(runLoop) {}

    std::unique_ptr<platform::DisplayLink> start(platform::Point onDisplay, platform::FrameCallback onFrame) override;
    double now() const override;

    // The refresh rate of the monitor showing point (root coordinates), if XRandR knows it.
    std::optional<double> refreshRate(platform::Point root) const;

private:
    Connection& connection_;
    X11Screens& screens_;
    desktop::GLibRunLoop& runLoop_;
};

}  // namespace qm::x11
