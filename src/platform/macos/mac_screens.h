#pragma once

#include "platform/screens.h"

namespace qm::macos {

class MacScreens : public platform::Screens {
public:
    std::vector<platform::Rect> screens() const override;
    std::optional<platform::Rect> mainScreen() const override;
    platform::Rect mainDisplayBounds() const override;
};

}  // namespace qm::macos
