#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "platform/events.h"
#include "platform/sim/context.h"
#include "platform/sim/sim_event.h"
#include "platform/sim/sim_run_loop.h"

namespace qm::sim {

class SimWindowServer;
class SimWorkspace;

struct TapState {
    platform::EventMask mask = 0;
    platform::TapCallback callback = nullptr;
    void* userInfo = nullptr;
    bool enabled = false;
    bool alive = true;
    // Its port died with the permission: it never comes on again.
    bool revoked = false;
    int callbacksRunning = 0;
    // Taken off the run loop or destroyed: it delivers nothing any more.
    bool removed = false;
    std::weak_ptr<SourceState> source;
};

// The event stream. Hardware input and events posted at the HID level pass the
// session's taps, newest first; what is left reaches the window under it.
// Events posted while a tap callback runs wait until the current event is done.
class SimEvents : public platform::EventServices {
public:
    SimEvents(Context& context, SimRunLoop& runLoop, SimWindowServer& windows, const SimWorkspace& workspace)
        : context_(context), runLoop_(runLoop), windows_(windows), workspace_(workspace) {}

    std::unique_ptr<platform::EventTap> tapCreate(platform::TapLocation location, platform::TapPlacement placement,
                                                  platform::TapOptions options, platform::EventMask mask,
                                                  platform::TapCallback callback, void* userInfo) override;
    std::unique_ptr<platform::EventSource> createSource(platform::EventSourceState state) override;
    std::unique_ptr<platform::Event> create(const platform::EventSource* source) override;
    std::unique_ptr<platform::Event> createMouseEvent(const platform::EventSource* source, platform::EventType type,
                                                      platform::Point location, platform::MouseButton button) override;
    std::unique_ptr<platform::Event> createScrollWheelEvent2(const platform::EventSource* source,
                                                             platform::ScrollUnit unit, uint32_t wheelCount,
                                                             int32_t wheel1, int32_t wheel2, int32_t wheel3) override;
    void post(platform::TapLocation location, platform::Event& event) override;
    void postToPid(int32_t pid, platform::Event& event) override;

    // Hardware input at the pointer.
    void movePointer(platform::Point p) { pointer_ = p; }
    platform::Point pointer() const { return pointer_; }
    void pressButton(platform::MouseButton button, platform::EventFlags flags);
    void releaseButton(platform::MouseButton button, platform::EventFlags flags);
    void pressKey(int64_t keyCode, platform::EventFlags flags = 0);

    // The system switches a tap off, telling its callback with notice (a
    // tap-disabled event type), or silently when notice is 0.
    void disableTap(TapState& tap, platform::EventType notice);
    // Switches every tap off silently, as across sleep; with revoke, their
    // ports die too, as when the permission goes.
    void switchAllTapsOff(bool revoke);
    std::vector<std::shared_ptr<TapState>> taps() const { return taps_; }
    // Makes the next tap creations fail even with the permission.
    void setTapCreationFails(bool fails) { tapCreationFails_ = fails; }
    // Makes every event creation fail, as when the event system is out of reach.
    void setEventCreationFails(bool fails) { eventCreationFails_ = fails; }

private:
    class SimTap;
    std::shared_ptr<TapState> makeTap(platform::EventMask mask, platform::TapCallback callback, void* userInfo,
                                      platform::TapPlacement placement);
    std::shared_ptr<SourceState> sourceFor(const std::shared_ptr<TapState>& tap);
    void enable(TapState& tap, bool on);
    void destroy(TapState& tap);
    std::shared_ptr<TapState> addClickTap(const TapState& tap, platform::EventMask clicks,
                                          std::shared_ptr<SourceState>& source);
    void releaseClickTap(std::shared_ptr<TapState> tap, std::shared_ptr<SourceState> source);
    void removed(TapState& tap);
    std::unique_ptr<SimEvent> copy(const platform::Event& event) const;
    void input(std::unique_ptr<SimEvent> event);
    void drain();
    bool passTaps(SimEvent& event);
    bool isActive(const TapState& tap) const;
    // Runs a tap's callback as the system's callout.
    bool consumes(TapState& tap, platform::EventType type, SimEvent& event);

    Context& context_;
    SimRunLoop& runLoop_;
    SimWindowServer& windows_;
    const SimWorkspace& workspace_;
    platform::Point pointer_;
    std::vector<std::shared_ptr<TapState>> taps_;
    std::deque<std::unique_ptr<SimEvent>> queue_;
    bool draining_ = false;
    bool tapCreationFails_ = false;
    bool eventCreationFails_ = false;
};

}  // namespace qm::sim
