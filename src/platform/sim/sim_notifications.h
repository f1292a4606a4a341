#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/sim/sim_run_loop.h"
#include "platform/system_notifications.h"

namespace qm::sim {

// The system's notifications, posted by whoever drives the world.
class SimNotifications : public platform::SystemNotifications {
public:
    explicit SimNotifications(SimRunLoop& runLoop) : runLoop_(runLoop) {}

    std::unique_ptr<platform::NotificationSubscription> observe(platform::SystemNotification notification,
                                                                std::function<void()> block) override;

    // Delivers the notification to every subscriber, each as a callout of its own.
    void post(platform::SystemNotification notification);
    // While held back, notifications wait, as they can on a busy system; they
    // are delivered when let go.
    void holdBack(bool held);
    std::size_t subscribers() const { return subscribers_.size(); }

private:
    struct Subscriber {
        platform::SystemNotification notification;
        std::function<void()> block;
    };
    class Subscription;

    SimRunLoop& runLoop_;
    std::vector<std::shared_ptr<Subscriber>> subscribers_;
    bool held_ = false;
    std::vector<platform::SystemNotification> waiting_;
};

}  // namespace qm::sim
