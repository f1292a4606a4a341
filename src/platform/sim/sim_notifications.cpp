#include "platform/sim/sim_notifications.h"

#include <algorithm>
#include <utility>

namespace qm::sim {

class SimNotifications::Subscription : public platform::NotificationSubscription {
public:
    Subscription(SimNotifications& owner, std::shared_ptr<Subscriber> subscriber)
        : owner_(owner), subscriber_(std::move(subscriber)) {}
    ~Subscription() override { std::erase(owner_.subscribers_, subscriber_); }

private:
    SimNotifications& owner_;
    std::shared_ptr<Subscriber> subscriber_;
};

std::unique_ptr<platform::NotificationSubscription> SimNotifications::observe(platform::SystemNotification notification,
                                                                              std::function<void()> block) {
    auto subscriber = std::make_shared<Subscriber>(Subscriber{notification, std::move(block)});
    subscribers_.push_back(subscriber);
    return std::make_unique<Subscription>(*this, std::move(subscriber));
}

void SimNotifications::holdBack(bool held) {
    held_ = held;
    if (held) return;
    for (const auto notification : std::exchange(waiting_, {})) post(notification);
}

void SimNotifications::post(platform::SystemNotification notification) {
    if (held_) return waiting_.push_back(notification);
    // A block may end subscriptions, its own among them; those present now are told.
    const auto subscribers = subscribers_;
    for (const auto& subscriber : subscribers) {
        const bool subscribed = std::ranges::find(subscribers_, subscriber) != subscribers_.end();
        if (subscribed && subscriber->notification == notification) runLoop_.callout(subscriber->block);
    }
}

}  // namespace qm::sim
