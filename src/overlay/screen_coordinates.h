#pragma once

#include "platform/geometry.h"
#include "platform/screens.h"

namespace qm {

// Converts from the Quartz global space (origin top-left of the primary
// display, y down) to the AppKit screen space (origin bottom-left, y up).
class ScreenCoordinates {
public:
    ScreenCoordinates() = delete;
    static platform::Point quartzToAppKit(const platform::Screens& screens, platform::Point p);

private:
    static double primaryHeight(const platform::Screens& screens);
};

}  // namespace qm
