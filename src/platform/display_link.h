#pragma once

#include <functional>
#include <memory>

#include "platform/geometry.h"

// Following a display's refresh, frame by frame.
namespace qm::platform {

// Destroying it stops the frames; none is delivered afterwards.
class DisplayLink {
public:
    virtual ~DisplayLink() = default;
};

// Called once per frame with the frame's time on the links' clock, in seconds.
using FrameCallback = std::function<void(double frameTime)>;

class DisplayLinks {
public:
    virtual ~DisplayLinks() = default;
    // Follows the display that shows point (Quartz). Frames are delivered on
    // the main run loop in its common modes, never on another thread; a frame
    // the program could not take in time is dropped, not queued. Nothing when
    // no link can be made.
    virtual std::unique_ptr<DisplayLink> start(Point onDisplay, FrameCallback onFrame) = 0;
    // The time now on the clock the frame times are given in, in seconds.
    virtual double now() const = 0;
};

}  // namespace qm::platform
