#pragma once

#include <vector>

#include "platform/screens.h"

namespace qm::sim {

class SimScreens : public platform::Screens {
public:
    std::vector<platform::Rect> screens() const override { return frames_; }
    std::optional<platform::Rect> mainScreen() const override {
        if (frames_.empty()) return std::nullopt;
        return frames_.front();
    }
    platform::Rect mainDisplayBounds() const override { return mainDisplay_; }

    // The displays' AppKit frames, the primary first.
    void setScreens(std::vector<platform::Rect> frames) {
        frames_ = std::move(frames);
        if (!frames_.empty()) mainDisplay_ = {0, 0, frames_.front().width, frames_.front().height};
    }
    double primaryHeight() const { return frames_.empty() ? mainDisplay_.height : frames_.front().height; }

private:
    std::vector<platform::Rect> frames_{{0, 0, 1440, 900}};
    platform::Rect mainDisplay_{0, 0, 1440, 900};
};

}  // namespace qm::sim
