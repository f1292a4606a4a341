#include "engine/scroll_controller.h"

namespace qm {

namespace et = platform::event_type;
using platform::Event;
using platform::EventType;
using platform::Point;

namespace {

constexpr platform::EventMask mouseTapMask =
    platform::eventMaskBit(et::leftMouseDown) | platform::eventMaskBit(et::rightMouseDown) |
    platform::eventMaskBit(et::otherMouseDown) | platform::eventMaskBit(et::otherMouseUp);

bool isTapDisabledNotice(EventType type) {
    return type == et::tapDisabledByTimeout || type == et::tapDisabledByUserInput;
}

}  // namespace

ScrollController::ScrollController(const platform::Platform& platform, const ExclusionManager& exclusions)
    : platform_(platform),
      exclusions_(exclusions),
      marker_(platform.windowServer, platform.screens),
      eventSource_(platform.events.createSource(platform::EventSourceState::hidSystem)) {}

bool ScrollController::start() {
    if (eventTap_) {
        setIsEnabled(true);
        switchMouseTapOn();
        startWatchdog();
        return true;
    }
    auto [tap, source] = installTap(mouseTapMask, &tapCallback<&ScrollController::handle>);
    if (!tap) return false;
    eventTap_ = std::move(tap);
    runLoopSource_ = std::move(source);
    setIsEnabled(true);
    startWatchdog();
    return true;
}

void ScrollController::setEnabled(bool enabled) {
    if (!eventTap_) return;
    setIsEnabled(enabled);
    if (enabled) {
        switchMouseTapOn();
        startWatchdog();
        return;
    }
    eventTap_->enable(false);
    exitScroll();
    watchdog_.reset();
}

// A tap whose port died (across sleep, or with the permission) cannot be
// switched on again; a new one takes its place.
void ScrollController::switchMouseTapOn() {
    eventTap_->enable(true);
    if (eventTap_->isEnabled()) return;
    auto fresh = installTap(mouseTapMask, &tapCallback<&ScrollController::handle>);
    // Without a new one the old one stays, for the watchdog to try again.
    if (!fresh.first) return;
    releaseLater({std::move(eventTap_), std::move(runLoopSource_)});
    std::tie(eventTap_, runLoopSource_) = std::move(fresh);
}

Event* ScrollController::handle(EventType type, Event* event) {
    if (isTapDisabledNotice(type)) {
        if (isEnabled_ && eventTap_ && !permissionGone()) switchMouseTapOn();
        if (state_ != ScrollState::idle) exitScroll();
        return event;
    }
    if (!isEnabled_) return event;
    if (event->integerValueField(platform::event_field::sourceUserData) == syntheticEventTag) return event;
    if (type == et::leftMouseDown || type == et::rightMouseDown) {
        if (state_ != ScrollState::locked) return event;
        exitScroll();
        return nullptr;
    }
    if (type != et::otherMouseDown && type != et::otherMouseUp) return event;
    if (type == et::otherMouseDown && state_ == ScrollState::idle) settings_ = Settings::read(platform_.defaults);
    const int64_t button = event->integerValueField(platform::event_field::mouseButtonNumber);
    if (button != settings_.triggerButton) return handleOtherButton(type, button, event);

    if (type == et::otherMouseUp) {
        switch (state_) {
            case ScrollState::pressed:
                if (moved_) {
                    exitScroll();
                } else {
                    setState(ScrollState::locked);
                    // With the button up, only the tap can tell a click that ends the session.
                    eventTap_->setNeedsEveryClick(true);
                    installEscTap();
                }
                return nullptr;
            case ScrollState::swallowUp: setState(ScrollState::idle); return nullptr;
            case ScrollState::idle:
            case ScrollState::locked: return event;
        }
    }
    if (state_ == ScrollState::locked) {
        exitScroll();
        return nullptr;
    }

    const auto owner = pressOwner(event->location());
    // Over the bare desktop the press is the desktop's own (its menu, say).
    if (!owner) return event;
    const auto& bundleID = owner->bundleIdentifier;
    if (bundleID && exclusions_.isExcluded(*bundleID)) return event;
    if (event->flags() & platform::eventFlagMaskShift) return event;
    handleTriggerPress(*owner);
    return nullptr;
}

// With a side button as the trigger the middle button belongs to the
// applications, except that its press ends a locked session as any click does.
Event* ScrollController::handleOtherButton(EventType type, int64_t button, Event* event) {
    if (type != et::otherMouseDown || button != platform::mouse_button::center || state_ != ScrollState::locked)
        return event;
    exitScroll();
    return nullptr;
}

// A trigger press that neither ends a locked session nor belongs to the application.
void ScrollController::handleTriggerPress(const platform::RunningApplication& owner) {
    const Point p = pointerLocation();
    const auto& bundleID = owner.bundleIdentifier;
    // A middle click on a link opens it; a side button has no such meaning.
    const bool middleTrigger = settings_.triggerButton == static_cast<int>(platform::mouse_button::center);
    if (middleTrigger && bundleID && kWebAppBundleIDs(platform_.appIdentifiers).contains(*bundleID) &&
        isLinkAt(p, owner.processIdentifier)) {
        // A session whose release was lost must not go on stepping, with its
        // marker up, behind the link click: nothing would ever end it.
        if (state_ == ScrollState::pressed) exitScroll();
        postSyntheticMiddleClick(p);
        setState(ScrollState::swallowUp);
        return;
    }
    startSession(p);
}

void ScrollController::startSession(Point p) {
    // The velocities are left alone: a press that arrives in a running session
    // (its release was lost) carries the old motion over.
    anchor_ = p;
    moved_ = false;
    setState(ScrollState::pressed);
    marker_.show(p);
    target_ = appUnderPoint(anchor_);
    startTimer();
}

Point ScrollController::pointerLocation() {
    const auto event = platform_.events.create(nullptr);
    return event ? event->location() : Point{};
}

// Nothing only where the platform decides by the window under the pointer
// and finds no application's window there.
std::optional<platform::RunningApplication> ScrollController::pressOwner(Point p) const {
    if (platform_.pressOwner == platform::PressOwner::windowUnderPointer) return platform_.workspace.applicationAt(p);
    return platform_.workspace.frontmostApplication().value_or(platform::RunningApplication{});
}

void ScrollController::setState(ScrollState state) {
    if (state_ == state) return;
    state_ = state;
    if (observer_) observer_->stateChanged(state);
}

void ScrollController::setIsEnabled(bool enabled) {
    if (isEnabled_ == enabled) return;
    isEnabled_ = enabled;
    if (observer_) observer_->enabledChanged(enabled);
}

}  // namespace qm
