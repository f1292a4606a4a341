#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "engine/scroll_controller.h"
#include "exclusions/exclusion_manager.h"
#include "onboarding/onboarding_window_controller.h"
#include "platform/platform.h"
#include "settings/settings_window_controller.h"

namespace qm {

// The application: it owns the engine, the status item and its menu, the
// updater, the onboarding and settings windows and the permission poll, and
// runs the launch.
class AppDelegate : public platform::ApplicationDelegate, public platform::MenuDelegate, public platform::ActionTarget {
public:
    explicit AppDelegate(const platform::Platform& platform);
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    void applicationDidFinishLaunching() override;
    // Launched again, the program shows its settings: there is no window to bring back.
    void applicationShouldHandleReopen() override { showSettings(); }
    void menuWillOpen(platform::Menu& menu) override;
    // The menu items' actions, by selector name.
    void performAction(std::string_view selector, platform::MenuItem& sender) override;

    void toggleEnabled();
    void toggleExcludeCurrentApp();
    void toggleLaunchAtLogin();
    void showOnboarding();
    void showSettings();
    void quit();

    ScrollController& scrollController() { return controller_; }

private:
    void setupStatusItem();
    void wireWindows();
    void refreshMenuState();
    void startPermissionPolling();
    void pollPermission();
    void watchSystem();
    void didWake();
    void accessibilityChanged();
    void checkTrust();
    void permissionWithdrawn();
    void stopPermissionPolling();
    void promptForAccessibility();
    void openAccessibilitySettings();
    std::string text(std::string_view key) const;

    const platform::Platform& platform_;
    // The one exclusion list, read by the engine and edited from the menu.
    ExclusionManager exclusions_;
    ScrollController controller_;
    std::unique_ptr<platform::StatusItem> statusItem_;
    std::unique_ptr<platform::Timer> permissionPollTimer_;
    std::unique_ptr<platform::UpdaterController> updaterController_;
    OnboardingWindowController onboarding_;
    SettingsWindowController settings_;
    // Owned by the status item's menu, which lives as long as this delegate.
    platform::MenuItem* enableItem_ = nullptr;
    platform::MenuItem* excludeItem_ = nullptr;
    platform::MenuItem* loginItem_ = nullptr;
    const std::string didOnboardKey_ = "didShowOnboarding";
    // Whether the poll switches the engine on once the permission is there:
    // after a withdrawal, only if the engine was on when it went.
    bool switchOnWhenTrusted_ = true;
    std::unique_ptr<platform::Timer> trustRecheck_;
    std::unique_ptr<platform::NotificationSubscription> wakeSubscription_;
    std::unique_ptr<platform::NotificationSubscription> accessibilitySubscription_;
};

}  // namespace qm
