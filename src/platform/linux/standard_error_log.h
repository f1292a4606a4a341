#pragma once

#include <string_view>

#include "platform/services.h"

namespace qm::desktop {

// The log goes to standard error, a line at a time.
class StandardErrorLog : public platform::SystemLog {
public:
    void log(std::string_view line) override;
};

}  // namespace qm::desktop
