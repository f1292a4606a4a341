#pragma once

#include <functional>
#include <memory>

// What the system announces to every application: waking from sleep, and a
// change to the list of applications allowed to use accessibility.
namespace qm::platform {

enum class SystemNotification { didWake, accessibilityChanged };

// Destroying it ends the subscription, so a block never outlives its owner.
class NotificationSubscription {
public:
    virtual ~NotificationSubscription() = default;
};

class SystemNotifications {
public:
    virtual ~SystemNotifications() = default;
    // Calls block on the main thread each time the system posts the notification.
    virtual std::unique_ptr<NotificationSubscription> observe(SystemNotification notification,
                                                              std::function<void()> block) = 0;
};

}  // namespace qm::platform
