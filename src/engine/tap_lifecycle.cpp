#include "engine/scroll_controller.h"

namespace qm {

ScrollController::InstalledTap ScrollController::installTap(platform::EventMask mask, platform::TapCallback callback) {
    auto tap = platform_.events.tapCreate(platform::TapLocation::session, platform::TapPlacement::headInsert,
                                          platform::TapOptions::defaultFilter, mask, callback, this);
    if (!tap) return {};
    auto source = tap->createRunLoopSource(0);
    platform_.runLoop.addSource(*source, platform::RunLoopMode::common);
    tap->enable(true);
    return {std::move(tap), std::move(source)};
}

// The tap may be the one whose callback is running, and the system is still
// inside its port's callout: it is switched off and unhooked now, and let go
// on the next turn of the main queue.
void ScrollController::releaseLater(InstalledTap installed) {
    auto& [tap, source] = installed;
    if (!tap && !source) return;
    if (tap) tap->enable(false);
    if (source) platform_.runLoop.removeSource(*source, platform::RunLoopMode::common);
    platform_.mainQueue.async([tap = std::shared_ptr<platform::EventTap>(std::move(tap)),
                               source = std::shared_ptr<platform::RunLoopSource>(std::move(source))]() mutable {
        source.reset();
        tap.reset();
    });
}

void ScrollController::reviveTaps() {
    if (state_ != ScrollState::idle) exitScroll();
    if (isEnabled_ && eventTap_) switchMouseTapOn();
}

bool ScrollController::dropTaps() {
    const bool wasOn = isEnabled_;
    exitScroll();
    releaseLater({std::move(eventTap_), std::move(runLoopSource_)});
    watchdog_.reset();
    setIsEnabled(false);
    return wasOn;
}

// The permission can go without a word reaching the program, and its taps are
// dead then: switching them on again would only fail.
bool ScrollController::permissionGone() {
    if (platform_.accessibility.isProcessTrusted(false)) return false;
    if (onPermissionLost) onPermissionLost();
    return true;
}

}  // namespace qm
