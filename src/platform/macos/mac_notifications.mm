#import <AppKit/AppKit.h>

#include "platform/macos/mac_notifications.h"

// Calls the program's block for each notification. It holds the block only
// weakly: a notification already queued when the subscription ends finds nothing.
@interface QMNotificationObserver : NSObject
- (instancetype)initWithBlock:(std::weak_ptr<std::function<void()>>)block;
- (void)notify:(NSNotification*)notification;
@end

@implementation QMNotificationObserver {
    std::weak_ptr<std::function<void()>> _block;
}

- (instancetype)initWithBlock:(std::weak_ptr<std::function<void()>>)block {
    if ((self = [super init])) _block = std::move(block);
    return self;
}

- (void)notify:(NSNotification*)notification {
    @autoreleasepool {
        if (auto block = _block.lock()) (*block)();
    }
}

@end

namespace qm::macos {

namespace {

// The system announces every change to the accessibility list under this name.
NSString* const accessibilityChanged = @"com.apple.accessibility.api";

class MacSubscription : public platform::NotificationSubscription {
public:
    MacSubscription(NSNotificationCenter* center, std::function<void()> block)
        : center_(center),
          block_(std::make_shared<std::function<void()>>(std::move(block))),
          observer_([[QMNotificationObserver alloc] initWithBlock:block_]) {}
    ~MacSubscription() override { [center_ removeObserver:observer_]; }
    MacSubscription(const MacSubscription&) = delete;
    MacSubscription& operator=(const MacSubscription&) = delete;

    QMNotificationObserver* observer() const { return observer_; }

private:
    NSNotificationCenter* center_;
    std::shared_ptr<std::function<void()>> block_;
    QMNotificationObserver* observer_;
};

}  // namespace

std::unique_ptr<platform::NotificationSubscription> MacSystemNotifications::observe(
    platform::SystemNotification notification, std::function<void()> block) {
    if (notification == platform::SystemNotification::didWake) {
        NSNotificationCenter* center = NSWorkspace.sharedWorkspace.notificationCenter;
        auto subscription = std::make_unique<MacSubscription>(center, std::move(block));
        [center addObserver:subscription->observer()
                   selector:@selector(notify:)
                       name:NSWorkspaceDidWakeNotification
                     object:nil];
        return subscription;
    }
    NSDistributedNotificationCenter* center = NSDistributedNotificationCenter.defaultCenter;
    auto subscription = std::make_unique<MacSubscription>(center, std::move(block));
    // AppKit holds distributed notifications back while the application is
    // not active, which for an agent application is nearly always.
    [center addObserver:subscription->observer()
                  selector:@selector(notify:)
                      name:accessibilityChanged
                    object:nil
        suspensionBehavior:NSNotificationSuspensionBehaviorDeliverImmediately];
    return subscription;
}

}  // namespace qm::macos
