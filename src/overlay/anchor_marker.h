#pragma once

#include <memory>

#include "platform/geometry.h"
#include "platform/screens.h"
#include "platform/windows.h"

namespace qm {

// The round marker at a session's anchor: a click-through window at the
// cursor's level, on every Space, beside full-screen applications.
class AnchorMarker {
public:
    static constexpr double size = 40;

    AnchorMarker(platform::WindowServer& windowServer, const platform::Screens& screens)
        : windowServer_(windowServer), screens_(screens) {}

    // Shows the marker centred on p (Quartz global space), replacing any shown.
    void show(platform::Point p);
    void hide();

private:
    platform::WindowServer& windowServer_;
    const platform::Screens& screens_;
    std::unique_ptr<platform::Window> window_;
};

}  // namespace qm
