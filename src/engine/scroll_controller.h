#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <utility>

#include "engine/scroll_state.h"
#include "exclusions/exclusion_manager.h"
#include "overlay/anchor_marker.h"
#include "platform/platform.h"
#include "settings/settings.h"

namespace qm {

// Written into the source user data of the synthetic clicks the engine posts,
// so that its own tap lets them through.
inline constexpr int64_t syntheticEventTag = 0x4D43;

// What a session scrolls: the front ordinary window of another process under its anchor.
struct ScrollTarget {
    int32_t pid;
    platform::Rect frame;
    // Its number, when the window list gave a usable one.
    std::optional<platform::WindowID> window;
};

// Told of every change of the session state and of the on/off switch.
class ScrollObserver {
public:
    virtual ~ScrollObserver() = default;
    virtual void stateChanged(ScrollState state) = 0;
    virtual void enabledChanged(bool enabled) = 0;
};

// The scroll engine: a mouse tap that runs the session state machine on the
// trigger button's events, the stepping timer (or the display's frames) that
// scrolls the window under the anchor, the Escape tap of a locked session and
// the watchdog of both taps.
class ScrollController {
public:
    ScrollController(const platform::Platform& platform, const ExclusionManager& exclusions);
    ScrollController(const ScrollController&) = delete;
    ScrollController& operator=(const ScrollController&) = delete;

    // Installs or re-enables the mouse tap; false when it cannot be created.
    bool start();
    void setEnabled(bool enabled);
    bool isEnabled() const { return isEnabled_; }

    ScrollState state() const { return state_; }
    void setObserver(ScrollObserver* observer) { observer_ = observer; }

    // The system switched the taps off behind the engine's back, as it does
    // across sleep: ends any session and switches the mouse tap back on if the
    // engine is on, making it anew when the old one cannot be.
    void reviveTaps();
    // The permission went, and the taps with it: ends any session, lets both
    // taps go and switches the engine off. Answers whether it was on.
    bool dropTaps();
    // Whether the mouse tap exists: the engine has started and kept its taps.
    bool hasTap() const { return eventTap_ != nullptr; }
    // Called when the engine finds the permission gone: a watchdog tick or a
    // tap-disabled notice that cannot switch a tap back on.
    std::function<void()> onPermissionLost;

private:
    using InstalledTap = std::pair<std::unique_ptr<platform::EventTap>, std::unique_ptr<platform::RunLoopSource>>;

    template <platform::Event* (ScrollController::*handler)(platform::EventType, platform::Event*)>
    static platform::Event* tapCallback(platform::EventType type, platform::Event* event, void* userInfo) {
        if (!userInfo) return event;
        return (static_cast<ScrollController*>(userInfo)->*handler)(type, event);
    }
    // The taps' decisions: the event to let it through, nullptr to consume it.
    platform::Event* handle(platform::EventType type, platform::Event* event);
    platform::Event* handleKey(platform::EventType type, platform::Event* event);
    platform::Event* handleOtherButton(platform::EventType type, int64_t button, platform::Event* event);

    void handleTriggerPress(const platform::RunningApplication& owner);
    void startSession(platform::Point p);
    void startTimer();
    bool startDisplayLink();
    void stopStepping();
    void scrollStep();
    void displayFrame(double frameTime);
    void step(double dt);
    void exitScroll();
    void installEscTap();
    void removeEscTap();
    void startWatchdog();
    void watchdogTick();
    // A tap switched on and live in the common modes; empty when it cannot be created.
    InstalledTap installTap(platform::EventMask mask, platform::TapCallback callback);
    void switchMouseTapOn();
    void releaseLater(InstalledTap tap);
    bool permissionGone();
    bool isLinkAt(platform::Point p, int32_t pid);
    std::optional<ScrollTarget> appUnderPoint(platform::Point p);
    void postSyntheticMiddleClick(platform::Point p);

    platform::Point pointerLocation();
    // The application a trigger press at p belongs to, for the exclusions and the link check.
    std::optional<platform::RunningApplication> pressOwner(platform::Point p) const;
    void setState(ScrollState state);
    void setIsEnabled(bool enabled);

    // Every resource below is owned here and released with the controller, so
    // no tap or timer can call back into a controller that is gone.
    const platform::Platform& platform_;
    const ExclusionManager& exclusions_;
    ScrollObserver* observer_ = nullptr;

    ScrollState state_ = ScrollState::idle;
    // Read when a press arrives with no session running; they hold for the
    // session it starts.
    Settings settings_;
    platform::Point anchor_;
    bool moved_ = false;
    std::unique_ptr<platform::Timer> timer_;
    std::optional<ScrollTarget> target_;
    double velX_ = 0, velY_ = 0;
    double accX_ = 0, accY_ = 0;
    AnchorMarker marker_;
    std::unique_ptr<platform::EventSource> eventSource_;
    std::unique_ptr<platform::EventTap> eventTap_;
    std::unique_ptr<platform::RunLoopSource> runLoopSource_;
    std::unique_ptr<platform::EventTap> escTap_;
    std::unique_ptr<platform::RunLoopSource> escRunLoopSource_;
    std::unique_ptr<platform::Timer> watchdog_;
    bool isEnabled_ = false;
    // The processes asked to build their accessibility tree for the link search.
    std::set<int32_t> manualAccessibilityAsked_;
    // Stepping with the display's frames, instead of the timer, during a session.
    std::unique_ptr<platform::DisplayLink> displayLink_;
    double lastFrameTime_ = 0;
};

}  // namespace qm
