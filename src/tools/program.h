#pragma once

#include "engine/scroll_controller.h"
#include "exclusions/exclusion_manager.h"
#include "platform/platform.h"

namespace qm::tools {

// What a launch brings up: the exclusion list and the scroll engine.
struct Program {
    explicit Program(const platform::Platform& platform)
        : exclusions(platform.defaults), controller(platform, exclusions) {}

    ExclusionManager exclusions;
    ScrollController controller;
};

}  // namespace qm::tools
