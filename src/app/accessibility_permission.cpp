#include "app/app_delegate.h"

namespace qm {

namespace {

const char* const accessibilitySettingsURL =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";
constexpr double pollInterval = 1.0;

}  // namespace

void AppDelegate::promptForAccessibility() {
    const platform::AlertContent alert{text("ax.title"),
                                       text("ax.body"),
                                       platform::AlertStyle::informational,
                                       {text("ax.openSettings"), text("ax.later")}};
    // An agent application is not in front by itself; the alert would hide behind the active one.
    platform_.application.activateIgnoringOtherApps(true);
    if (platform_.alerts.runModal(alert) == platform::alertFirstButtonReturn) openAccessibilitySettings();
}

void AppDelegate::openAccessibilitySettings() {
    // Where the desktop's own support is the gate, there is no settings page
    // to send the user to: the program switches it on.
    if (platform_.accessibility.accessGate() == platform::AccessGate::desktopSupport) {
        platform_.accessibility.enableDesktopSupport();
        return;
    }
    // The system lists a program under Accessibility only once it has asked
    // with the prompt; without it the user would look for a switch that is not there.
    platform_.accessibility.isProcessTrusted(true);
    platform_.workspace.openURL(accessibilitySettingsURL);
}

void AppDelegate::startPermissionPolling() {
    if (permissionPollTimer_) permissionPollTimer_->invalidate();
    permissionPollTimer_ = platform_.runLoop.scheduledTimer(pollInterval, true, [this] { pollPermission(); });
}

// The permission arrives through the system settings, without telling anyone;
// once it is there the engine starts without a restart.
void AppDelegate::pollPermission() {
    if (!platform_.accessibility.isProcessTrusted(false)) return;
    if (switchOnWhenTrusted_ && !controller_.start()) return;
    stopPermissionPolling();
    refreshMenuState();
}

void AppDelegate::stopPermissionPolling() {
    if (permissionPollTimer_) permissionPollTimer_->invalidate();
    permissionPollTimer_.reset();
}

}  // namespace qm
