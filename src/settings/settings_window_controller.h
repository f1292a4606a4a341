#pragma once

#include <memory>

#include "exclusions/exclusion_manager.h"
#include "platform/platform.h"

namespace qm {

class SettingsView;

// The one settings window: built when first shown, hidden by its close
// button and shown again as it was, with what is stored now.
class SettingsWindowController {
public:
    SettingsWindowController(const platform::Platform& platform, ExclusionManager& exclusions)
        : platform_(platform), exclusions_(exclusions) {}

    void show();
    // Shows a change made elsewhere, such as an exclusion from the menu.
    void refresh();

private:
    const platform::Platform& platform_;
    ExclusionManager& exclusions_;
    std::unique_ptr<platform::Window> window_;
    // Owned by the window, so it lives exactly as long as window_ holds one.
    SettingsView* view_ = nullptr;
};

}  // namespace qm
