#include "platform/sim/sim_events.h"

#include <algorithm>

#include "platform/sim/sim_window_server.h"
#include "platform/sim/sim_workspace.h"

namespace qm::sim {

namespace et = platform::event_type;
namespace field = platform::event_field;
using platform::Event;
using platform::EventType;

namespace {

// Left and right presses reach a tap only while it needs every click: a tap
// holds every event it listens to until its callback returns, so listening to
// every click all the time would make every application wait on the program.
constexpr platform::EventMask clickMask =
    platform::eventMaskBit(et::leftMouseDown) | platform::eventMaskBit(et::rightMouseDown);

}  // namespace

// The tap the program asked for, and while it needs every click, a second one
// of the system's for the left and right presses.
class SimEvents::SimTap : public platform::EventTap {
public:
    SimTap(SimEvents& owner, std::shared_ptr<TapState> state, platform::EventMask clicks)
        : owner_(owner), counted_(owner.context_.ledger, Ledger::tap), state_(std::move(state)), clicks_(clicks) {}
    ~SimTap() override {
        owner_.destroy(*state_);
        if (clickTap_) owner_.destroy(*clickTap_);
    }
    // Without the permission a tap cannot be switched back on, nor one whose port died with it.
    void enable(bool on) override {
        owner_.enable(*state_, on);
        if (clickTap_) owner_.enable(*clickTap_, on);
    }
    bool isEnabled() const override { return state_->enabled && (!clickTap_ || clickTap_->enabled); }
    std::unique_ptr<platform::RunLoopSource> createRunLoopSource(int /*order*/) override {
        return std::make_unique<SimRunLoopSource>(owner_.context_.ledger, owner_.sourceFor(state_));
    }
    void setNeedsEveryClick(bool needed) override {
        if (needed == (clickTap_ != nullptr) || !clicks_) return;
        if (needed) {
            clickTap_ = owner_.addClickTap(*state_, clicks_, clickSource_);
            return;
        }
        owner_.releaseClickTap(std::move(clickTap_), std::move(clickSource_));
    }

private:
    SimEvents& owner_;
    Counted counted_;
    std::shared_ptr<TapState> state_;
    platform::EventMask clicks_;
    std::shared_ptr<TapState> clickTap_;
    std::shared_ptr<SourceState> clickSource_;
};

namespace {

class SimEventSource : public platform::EventSource {
public:
    explicit SimEventSource(Ledger& ledger) : counted_(ledger, Ledger::eventSource) {}

private:
    Counted counted_;
};

EventType pressType(platform::MouseButton button) {
    if (button == platform::mouse_button::left) return et::leftMouseDown;
    if (button == platform::mouse_button::right) return et::rightMouseDown;
    return et::otherMouseDown;
}

EventType releaseType(platform::MouseButton button) {
    if (button == platform::mouse_button::left) return et::leftMouseUp;
    if (button == platform::mouse_button::right) return et::rightMouseUp;
    return et::otherMouseUp;
}

}  // namespace

std::unique_ptr<platform::EventTap> SimEvents::tapCreate(platform::TapLocation, platform::TapPlacement placement,
                                                         platform::TapOptions, platform::EventMask mask,
                                                         platform::TapCallback callback, void* userInfo) {
    auto state = makeTap(mask & ~clickMask, callback, userInfo, placement);
    if (!state) return nullptr;
    return std::make_unique<SimTap>(*this, std::move(state), mask & clickMask);
}

std::shared_ptr<TapState> SimEvents::makeTap(platform::EventMask mask, platform::TapCallback callback, void* userInfo,
                                             platform::TapPlacement placement) {
    if (!context_.trusted || tapCreationFails_) return nullptr;
    auto state = std::make_shared<TapState>();
    state->mask = mask;
    state->callback = callback;
    state->userInfo = userInfo;
    if (placement == platform::TapPlacement::headInsert)
        taps_.insert(taps_.begin(), state);
    else
        taps_.push_back(state);
    context_.observer->tapCreated(*state);
    return state;
}

std::shared_ptr<SourceState> SimEvents::sourceFor(const std::shared_ptr<TapState>& tap) {
    auto source = std::make_shared<SourceState>();
    source->onRemoved = [this, tap] { removed(*tap); };
    tap->source = source;
    return source;
}

void SimEvents::enable(TapState& tap, bool on) {
    tap.enabled = on && context_.trusted && !tap.revoked;
}

void SimEvents::destroy(TapState& tap) {
    if (tap.callbacksRunning > 0) ++context_.tapsDestroyedInOwnCallback;
    tap.alive = false;
    std::erase_if(taps_, [&](const auto& t) { return t.get() == &tap; });
    removed(tap);
}

// Made as the program makes its own taps: switched on and live in every mode.
std::shared_ptr<TapState> SimEvents::addClickTap(const TapState& tap, platform::EventMask clicks,
                                                 std::shared_ptr<SourceState>& source) {
    auto clickTap = makeTap(clicks, tap.callback, tap.userInfo, platform::TapPlacement::headInsert);
    if (!clickTap) return nullptr;
    source = sourceFor(clickTap);
    source->modes.insert(platform::RunLoopMode::common);
    enable(*clickTap, true);
    return clickTap;
}

// Its callback may be the one running: it is switched off and unhooked now,
// and let go on the next turn of the main queue, as the program does with its own taps.
void SimEvents::releaseClickTap(std::shared_ptr<TapState> tap, std::shared_ptr<SourceState> source) {
    tap->enabled = false;
    source->modes.clear();
    if (source->onRemoved) std::exchange(source->onRemoved, nullptr)();
    runLoop_.async([this, tap = std::move(tap)] { destroy(*tap); });
}

// A tap is gone for whoever watches once it delivers nothing: when its source
// leaves the run loop, which the program does at once, or when it is destroyed,
// which may wait for the next turn of the main queue.
void SimEvents::removed(TapState& tap) {
    if (std::exchange(tap.removed, true)) return;
    context_.observer->tapRemoved(tap);
}

std::unique_ptr<platform::EventSource> SimEvents::createSource(platform::EventSourceState) {
    return std::make_unique<SimEventSource>(context_.ledger);
}

std::unique_ptr<Event> SimEvents::create(const platform::EventSource*) {
    if (eventCreationFails_) return nullptr;
    return std::make_unique<SimEvent>(context_.ledger, 0, pointer_);
}

std::unique_ptr<Event> SimEvents::createMouseEvent(const platform::EventSource*, EventType type,
                                                   platform::Point location, platform::MouseButton button) {
    if (eventCreationFails_) return nullptr;
    auto event = std::make_unique<SimEvent>(context_.ledger, type, location);
    event->setIntegerValueField(field::mouseButtonNumber, button);
    return event;
}

std::unique_ptr<Event> SimEvents::createScrollWheelEvent2(const platform::EventSource*, platform::ScrollUnit, uint32_t,
                                                          int32_t wheel1, int32_t wheel2, int32_t) {
    if (eventCreationFails_) return nullptr;
    auto event = std::make_unique<SimEvent>(context_.ledger, et::scrollWheel, pointer_);
    event->setIntegerValueField(field::scrollWheelPointDeltaAxis1, wheel1);
    event->setIntegerValueField(field::scrollWheelPointDeltaAxis2, wheel2);
    return event;
}

std::unique_ptr<SimEvent> SimEvents::copy(const Event& event) const {
    return std::make_unique<SimEvent>(static_cast<const SimEvent&>(event));
}

void SimEvents::post(platform::TapLocation, Event& event) {
    auto posted = copy(event);
    context_.observer->postedToHID(*posted);
    input(std::move(posted));
}

void SimEvents::postToPid(int32_t pid, Event& event) {
    // Addressed to one process, so no tap sees it.
    context_.observer->postedToPid(static_cast<const SimEvent&>(event), pid);
}

void SimEvents::pressButton(platform::MouseButton button, platform::EventFlags flags) {
    auto event = std::make_unique<SimEvent>(context_.ledger, pressType(button), pointer_);
    event->setIntegerValueField(field::mouseButtonNumber, button);
    event->setFlags(flags);
    input(std::move(event));
}

void SimEvents::releaseButton(platform::MouseButton button, platform::EventFlags flags) {
    auto event = std::make_unique<SimEvent>(context_.ledger, releaseType(button), pointer_);
    event->setIntegerValueField(field::mouseButtonNumber, button);
    event->setFlags(flags);
    input(std::move(event));
}

void SimEvents::pressKey(int64_t keyCode, platform::EventFlags flags) {
    for (EventType type : {et::keyDown, et::keyUp}) {
        auto event = std::make_unique<SimEvent>(context_.ledger, type, pointer_);
        event->setIntegerValueField(field::keyboardKeycode, keyCode);
        event->setFlags(flags);
        input(std::move(event));
    }
}

void SimEvents::disableTap(TapState& tap, EventType notice) {
    tap.enabled = false;
    if (notice == 0) return;
    SimEvent event(context_.ledger, notice, pointer_);
    draining_ = true;
    consumes(tap, notice, event);
    draining_ = false;
    drain();
}

void SimEvents::switchAllTapsOff(bool revoke) {
    for (const auto& tap : taps_) {
        tap->enabled = false;
        tap->revoked = tap->revoked || revoke;
    }
}

bool SimEvents::consumes(TapState& tap, EventType type, SimEvent& event) {
    bool consumed = false;
    runLoop_.callout([&] {
        ++tap.callbacksRunning;
        consumed = tap.callback(type, &event, tap.userInfo) == nullptr;
        --tap.callbacksRunning;
        context_.observer->tapped(tap, event, consumed);
    });
    return consumed;
}

void SimEvents::input(std::unique_ptr<SimEvent> event) {
    queue_.push_back(std::move(event));
    if (!draining_) drain();
}

void SimEvents::drain() {
    draining_ = true;
    while (!queue_.empty()) {
        auto event = std::move(queue_.front());
        queue_.pop_front();
        if (!passTaps(*event)) continue;
        // Where a click lands; other events are not looked up, so that a
        // tick's scroll costs the same with a thousand windows as with one.
        const auto receiver = isMouseButtonEvent(event->type()) ? windows_.ownerAt(event->location()) : std::nullopt;
        context_.observer->delivered(*event, receiver);
        // Keys go to the active application; when that is the program, to its front window.
        if (event->type() == et::keyDown && workspace_.isOwnApplicationActive())
            runLoop_.callout(
                [&] { windows_.keyDown(event->integerValueField(field::keyboardKeycode), event->flags()); });
    }
    draining_ = false;
}

bool SimEvents::isActive(const TapState& tap) const {
    const auto source = tap.source.lock();
    return tap.alive && tap.enabled && source && runLoop_.isLive(source->modes);
}

// True when the event came through every tap.
bool SimEvents::passTaps(SimEvent& event) {
    // A callback may create or destroy taps; the ones present now decide.
    const auto taps = taps_;
    for (const auto& tap : taps) {
        const EventType type = event.type();
        if (type >= 64 || !(tap->mask & platform::eventMaskBit(type)) || !isActive(*tap)) continue;
        if (consumes(*tap, type, event)) return false;
    }
    return true;
}

}  // namespace qm::sim
