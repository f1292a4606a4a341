#pragma once

#include <optional>
#include <vector>

#include "platform/geometry.h"

// The displays, as AppKit frames (origin at the primary display's bottom-left, y up).
namespace qm::platform {

class Screens {
public:
    virtual ~Screens() = default;
    // The primary display first.
    virtual std::vector<Rect> screens() const = 0;
    // The screen with the key window, if any.
    virtual std::optional<Rect> mainScreen() const = 0;
    // The main display's bounds in Quartz space.
    virtual Rect mainDisplayBounds() const = 0;
};

}  // namespace qm::platform
