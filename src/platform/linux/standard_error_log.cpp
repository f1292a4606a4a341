#include "platform/linux/standard_error_log.h"

#include <iostream>

namespace qm::desktop {

void StandardErrorLog::log(std::string_view line) {
    std::cerr << line << std::endl;
}

}  // namespace qm::desktop
