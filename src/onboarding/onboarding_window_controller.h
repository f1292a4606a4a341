#pragma once

#include <functional>
#include <memory>

#include "platform/platform.h"

namespace qm {

// The one onboarding window: shown at the first launch and from the menu,
// hidden by its close button, dropped when the user finishes or skips (and
// built anew, at the first step, when it is shown after that).
class OnboardingWindowController {
public:
    explicit OnboardingWindowController(const platform::Platform& platform) : platform_(platform) {}

    void show();

    std::function<void()> onOpenSettings;
    std::function<void()> onFinish;

private:
    void close();

    const platform::Platform& platform_;
    std::unique_ptr<platform::Window> window_;
};

}  // namespace qm
