#include "platform/linux/save_failure_alert.h"

namespace qm::desktop {

void SaveFailureAlert::show(std::string_view key, const std::string& reason) {
    const std::string prefix(key);
    std::string body = bundle_.localizedString(prefix + ".body", "%@");
    if (const auto at = body.find("%@"); at != std::string::npos) body.replace(at, 2, reason);
    platform::AlertContent alert{bundle_.localizedString(prefix + ".title", prefix + ".title"),
                                 std::move(body),
                                 platform::AlertStyle::warning,
                                 {}};
    queue_.async([this, alert = std::move(alert)] { alerts_.runModal(alert); });
}

}  // namespace qm::desktop
