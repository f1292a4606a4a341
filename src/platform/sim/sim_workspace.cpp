#include "platform/sim/sim_workspace.h"

namespace qm::sim {

bool SimWorkspace::openURL(const std::string& url) {
    // A URL needs at least a scheme: letters first, then a colon.
    const auto colon = url.find(':');
    if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(url[0]))) return false;
    context_.observer->urlOpened(url);
    return true;
}

}  // namespace qm::sim
