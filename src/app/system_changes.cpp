#include "app/app_delegate.h"

namespace qm {

namespace {

// How long after the system tells of a change to the permission the trust is
// read once more: the answer can lag the notification.
constexpr double trustRecheckDelay = 0.5;

}  // namespace

void AppDelegate::watchSystem() {
    using platform::SystemNotification;
    wakeSubscription_ = platform_.notifications.observe(SystemNotification::didWake, [this] { didWake(); });
    accessibilitySubscription_ =
        platform_.notifications.observe(SystemNotification::accessibilityChanged, [this] { accessibilityChanged(); });
    controller_.onPermissionLost = [this] { permissionWithdrawn(); };
}

// Across sleep the system switches the taps off; the watchdog would take up to
// half a minute to notice.
void AppDelegate::didWake() {
    checkTrust();
    controller_.reviveTaps();
}

void AppDelegate::accessibilityChanged() {
    checkTrust();
    if (!controller_.hasTap()) return;
    trustRecheck_ = platform_.runLoop.makeTimer(trustRecheckDelay, false, [this] {
        trustRecheck_.reset();
        checkTrust();
    });
    platform_.runLoop.addTimer(*trustRecheck_, platform::RunLoopMode::common);
}

// Only a withdrawal needs an answer here: the poll finds a permission granted.
void AppDelegate::checkTrust() {
    if (controller_.hasTap() && !platform_.accessibility.isProcessTrusted(false)) permissionWithdrawn();
}

// The taps died with the permission, and an engine without them would hold
// nothing but a promise. The poll waits for the permission to come back.
void AppDelegate::permissionWithdrawn() {
    switchOnWhenTrusted_ = controller_.dropTaps();
    startPermissionPolling();
    refreshMenuState();
}

}  // namespace qm
