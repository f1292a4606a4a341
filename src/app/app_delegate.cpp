#include "app/app_delegate.h"

#include "app/localized_text.h"

namespace qm {

AppDelegate::AppDelegate(const platform::Platform& platform)
    : platform_(platform),
      exclusions_(platform.defaults, platform.appIdentifiers),
      controller_(platform, exclusions_),
      updaterController_(platform.updater.makeStandardController()),
      onboarding_(platform),
      settings_(platform, exclusions_) {}

std::string AppDelegate::text(std::string_view key) const {
    return localizedText(platform_.bundle, key);
}

void AppDelegate::applicationDidFinishLaunching() {
    setupStatusItem();
    wireWindows();
    watchSystem();
    const bool onboarded = platform_.defaults.boolForKey(didOnboardKey_);
    const bool trusted = platform_.accessibility.isProcessTrusted(false);

    // The permission can be there while a tap still cannot be made (the
    // system's record of it is stale): the poll then tries until one can.
    const bool started = trusted && controller_.start();
    if (onboarded) {
        // A later launch without the permission explains it before anything else.
        if (!trusted) promptForAccessibility();
        if (!started) startPermissionPolling();
    } else {
        // The flag is stored first, so quitting during the onboarding still counts it as shown.
        platform_.defaults.setBool(true, didOnboardKey_);
        onboarding_.show();
        if (!platform_.accessibility.isProcessTrusted(false) || !started) startPermissionPolling();
    }
    refreshMenuState();
}

// With a crowded menu bar the status item may be out of sight: opening the
// program again is then the way in.
void AppDelegate::applicationReopened() {
    showSettings();
}

void AppDelegate::wireWindows() {
    onboarding_.onOpenSettings = [this] { openAccessibilitySettings(); };
    onboarding_.onFinish = [this] { refreshMenuState(); };
}

}  // namespace qm
