#include "platform/sim/sim_workspace.h"

namespace qm::sim {

bool SimWorkspace::openURL(const std::string& url) {
    // A URL needs at least a scheme: letters first, then a colon.
    const auto colon = url.find(':');
    if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(url[0]))) return false;
    context_.observer->urlOpened(url);
    return true;
}

std::optional<std::string> SimWorkspace::applicationName(const std::string& bundleIdentifier) const {
    const auto it = names_.find(bundleIdentifier);
    return it == names_.end() ? std::nullopt : std::optional(it->second);
}

void SimWorkspace::setFrontmost(std::optional<platform::RunningApplication> app) {
    if (app && app->bundleIdentifier && app->localizedName)
        names_.insert_or_assign(*app->bundleIdentifier, *app->localizedName);
    frontmost_ = std::move(app);
}

}  // namespace qm::sim
