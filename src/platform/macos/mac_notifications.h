#pragma once

#include <functional>
#include <memory>

#include "platform/system_notifications.h"

namespace qm::macos {

// Waking from sleep, from the workspace's notification centre, and changes to
// the accessibility permission, from the distributed one.
class MacSystemNotifications : public platform::SystemNotifications {
public:
    std::unique_ptr<platform::NotificationSubscription> observe(platform::SystemNotification notification,
                                                                std::function<void()> block) override;
};

}  // namespace qm::macos
