#pragma once

#include "platform/display_link.h"

namespace qm::macos {

// The refresh of a display: the screen's own display link where the system
// has one (macOS 14 on), found at run time; CoreVideo's otherwise, whose
// frames arrive on a thread of their own and are carried to the main thread.
class MacDisplayLinks : public platform::DisplayLinks {
public:
    std::unique_ptr<platform::DisplayLink> start(platform::Point onDisplay, platform::FrameCallback onFrame) override;
    double now() const override;
};

}  // namespace qm::macos
