#include "engine/scroll_controller.h"

namespace qm {

namespace et = platform::event_type;
using platform::Event;
using platform::EventType;

namespace {

constexpr int64_t escapeKeyCode = 53;
constexpr double watchdogInterval = 30.0;

}  // namespace

void ScrollController::exitScroll() {
    stopStepping();
    marker_.hide();
    if (eventTap_) eventTap_->setNeedsEveryClick(false);
    removeEscTap();
    target_.reset();
    setState(ScrollState::idle);
    velX_ = velY_ = accX_ = accY_ = 0;
}

void ScrollController::installEscTap() {
    if (escTap_) return;
    // Without the tap a locked session still ends by a click or by the watchdog.
    std::tie(escTap_, escRunLoopSource_) =
        installTap(platform::eventMaskBit(et::keyDown), &tapCallback<&ScrollController::handleKey>);
}

Event* ScrollController::handleKey(EventType type, Event* event) {
    if (type == et::tapDisabledByTimeout || type == et::tapDisabledByUserInput) {
        if (isEnabled_ && state_ == ScrollState::locked && escTap_) escTap_->enable(true);
        if (state_ != ScrollState::idle) exitScroll();
        return event;
    }
    if (type == et::keyDown && state_ == ScrollState::locked &&
        event->integerValueField(platform::event_field::keyboardKeycode) == escapeKeyCode) {
        exitScroll();
        return nullptr;
    }
    return event;
}

void ScrollController::removeEscTap() {
    // Escape ends the session from inside this tap's own callback.
    releaseLater({std::move(escTap_), std::move(escRunLoopSource_)});
}

void ScrollController::startWatchdog() {
    if (watchdog_) return;
    auto timer = platform_.runLoop.makeTimer(watchdogInterval, true, [this] { watchdogTick(); });
    platform_.runLoop.addTimer(*timer, platform::RunLoopMode::common);
    watchdog_ = std::move(timer);
}

// The system switches a tap off silently at times; switch it back on, and end
// a session whose events may have been lost meanwhile.
void ScrollController::watchdogTick() {
    if (!isEnabled_ || !eventTap_ || permissionGone()) return;
    bool foundDisabled = false;
    if (!eventTap_->isEnabled()) {
        switchMouseTapOn();
        foundDisabled = true;
    }
    if (escTap_ && !escTap_->isEnabled()) {
        escTap_->enable(true);
        foundDisabled = true;
    }
    if (foundDisabled && state_ != ScrollState::idle) exitScroll();
}

}  // namespace qm
