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
    if (timer_) timer_->invalidate();
    timer_.reset();
    marker_.hide();
    if (eventTap_) eventTap_->setNeedsEveryClick(false);
    removeEscTap();
    targetPID_.reset();
    targetFrame_.reset();
    setState(ScrollState::idle);
    velX_ = velY_ = accX_ = accY_ = 0;
}

void ScrollController::installEscTap() {
    if (escTap_) return;
    // Without the tap a locked session still ends by a click or by the watchdog.
    auto tap = platform_.events.tapCreate(platform::TapLocation::session, platform::TapPlacement::headInsert,
                                          platform::TapOptions::defaultFilter, platform::eventMaskBit(et::keyDown),
                                          &tapCallback<&ScrollController::handleKey>, this);
    if (!tap) return;
    auto source = tap->createRunLoopSource(0);
    platform_.runLoop.addSource(*source, platform::RunLoopMode::common);
    tap->enable(true);
    escTap_ = std::move(tap);
    escRunLoopSource_ = std::move(source);
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
    auto tap = std::move(escTap_);
    auto source = std::move(escRunLoopSource_);
    if (tap) tap->enable(false);
    if (source) platform_.runLoop.removeSource(*source, platform::RunLoopMode::common);
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
    if (!isEnabled_ || !eventTap_) return;
    bool foundDisabled = false;
    if (!eventTap_->isEnabled()) {
        eventTap_->enable(true);
        foundDisabled = true;
    }
    if (escTap_ && !escTap_->isEnabled()) {
        escTap_->enable(true);
        foundDisabled = true;
    }
    if (foundDisabled && state_ != ScrollState::idle) exitScroll();
}

}  // namespace qm
