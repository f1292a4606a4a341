#pragma once

#include <memory>

#include "platform/services.h"

namespace qm::desktop {

// There is no updater on Linux: the distribution's packages update the program.
class NoUpdater : public platform::Updater {
public:
    std::unique_ptr<platform::UpdaterController> makeStandardController() override { return nullptr; }
    bool isOffered() const override { return false; }
};

}  // namespace qm::desktop
