#include "platform/macos/mac_events.h"

#include <dispatch/dispatch.h>

#include "platform/macos/mac_run_loop.h"

namespace qm::macos {

using platform::Event;
using platform::EventSource;

namespace {

// The system lends the event for the call; letting it through means handing
// back that same event.
CGEventRef tapTrampoline(CGEventTapProxy, CGEventType type, CGEventRef event, void* userInfo) {
    // No AppKit event drains a pool here, and an agent application gets few of them anyway.
    @autoreleasepool {
        const auto* target = static_cast<const TapPort::Target*>(userInfo);
        MacEvent borrowed = MacEvent::borrowing(event);
        return target->callback(type, &borrowed, target->userInfo) ? event : nullptr;
    }
}

// Left and right presses: a tap gets them only while it needs every click.
constexpr CGEventMask clickMask = CGEventMaskBit(kCGEventLeftMouseDown) | CGEventMaskBit(kCGEventRightMouseDown);

CGEventSourceRef cgSource(const EventSource* source) {
    return source ? static_cast<const MacEventSource*>(source)->source() : nullptr;
}

CGEventRef cgEvent(Event& event) {
    return static_cast<MacEvent&>(event).event();
}

std::unique_ptr<Event> wrap(CGEventRef created) {
    if (!created) return nullptr;
    return std::make_unique<MacEvent>(CFRef<CGEventRef>(created));
}

}  // namespace

platform::Point MacEvent::location() const {
    const CGPoint p = CGEventGetLocation(event_);
    return {p.x, p.y};
}

void MacEvent::setLocation(platform::Point p) {
    CGEventSetLocation(event_, CGPointMake(p.x, p.y));
}

platform::EventFlags MacEvent::flags() const {
    return CGEventGetFlags(event_);
}

int64_t MacEvent::integerValueField(platform::EventField field) const {
    return CGEventGetIntegerValueField(event_, static_cast<CGEventField>(field));
}

void MacEvent::setIntegerValueField(platform::EventField field, int64_t value) {
    CGEventSetIntegerValueField(event_, static_cast<CGEventField>(field), value);
}

std::unique_ptr<TapPort> TapPort::create(const Place& place, CGEventMask mask, const Target& target) {
    auto held = std::make_unique<Target>(target);
    CFRef<CFMachPortRef> port(
        CGEventTapCreate(place.location, place.placement, place.options, mask, tapTrampoline, held.get()));
    if (!port) return nullptr;
    return std::unique_ptr<TapPort>(new TapPort(std::move(held), std::move(port)));
}

TapPort::~TapPort() {
    CGEventTapEnable(port_.get(), false);
    CFMachPortInvalidate(port_.get());
}

// The port for left and right presses, live on the main run loop in every mode
// as the program's own taps are.
struct MacEventTap::ClickPort {
    explicit ClickPort(std::unique_ptr<TapPort> port)
        : port(std::move(port)), source(CFMachPortCreateRunLoopSource(kCFAllocatorDefault, this->port->port(), 0)) {
        if (source) CFRunLoopAddSource(CFRunLoopGetMain(), source.get(), kCFRunLoopCommonModes);
    }
    ~ClickPort() {
        if (source) CFRunLoopSourceInvalidate(source.get());
    }
    ClickPort(const ClickPort&) = delete;
    ClickPort& operator=(const ClickPort&) = delete;

    std::unique_ptr<TapPort> port;
    CFRef<CFRunLoopSourceRef> source;
};

MacEventTap::MacEventTap(std::unique_ptr<TapPort> port, const TapPort::Place& place, CGEventMask clicks,
                         const TapPort::Target& target)
    : port_(std::move(port)), place_(place), clicks_(clicks), target_(target) {}

MacEventTap::~MacEventTap() = default;

void MacEventTap::enable(bool on) {
    CGEventTapEnable(port_->port(), on);
    if (clickPort_) CGEventTapEnable(clickPort_->port->port(), on);
}

bool MacEventTap::isEnabled() const {
    return CGEventTapIsEnabled(port_->port()) && (!clickPort_ || CGEventTapIsEnabled(clickPort_->port->port()));
}

std::unique_ptr<platform::RunLoopSource> MacEventTap::createRunLoopSource(int order) {
    return std::make_unique<MacRunLoopSource>(
        CFRef<CFRunLoopSourceRef>(CFMachPortCreateRunLoopSource(kCFAllocatorDefault, port_->port(), order)));
}

void MacEventTap::setNeedsEveryClick(bool needed) {
    if (needed == (clickPort_ != nullptr) || !clicks_) return;
    if (needed) {
        // Without it a locked session still ends by a middle click, Escape or the watchdog.
        if (auto port = TapPort::create(place_, clicks_, target_))
            clickPort_ = std::make_unique<ClickPort>(std::move(port));
        return;
    }
    // Its own callback may be the one running, and the system is still inside
    // the port's callout: it is switched off and unhooked now, and let go on
    // the next turn of the main queue.
    CGEventTapEnable(clickPort_->port->port(), false);
    if (clickPort_->source) CFRunLoopRemoveSource(CFRunLoopGetMain(), clickPort_->source.get(), kCFRunLoopCommonModes);
    auto held = std::make_shared<std::unique_ptr<ClickPort>>(std::move(clickPort_));
    dispatch_async(dispatch_get_main_queue(), ^{
      held->reset();
    });
}

std::unique_ptr<platform::EventTap> MacEventServices::tapCreate(platform::TapLocation location,
                                                                platform::TapPlacement placement,
                                                                platform::TapOptions options, platform::EventMask mask,
                                                                platform::TapCallback callback, void* userInfo) {
    const TapPort::Place place{static_cast<CGEventTapLocation>(location), static_cast<CGEventTapPlacement>(placement),
                               static_cast<CGEventTapOptions>(options)};
    const TapPort::Target target{callback, userInfo};
    auto port = TapPort::create(place, mask & ~clickMask, target);
    if (!port) return nullptr;
    return std::make_unique<MacEventTap>(std::move(port), place, mask & clickMask, target);
}

std::unique_ptr<EventSource> MacEventServices::createSource(platform::EventSourceState state) {
    CFRef<CGEventSourceRef> source(CGEventSourceCreate(static_cast<CGEventSourceStateID>(state)));
    if (!source) return nullptr;
    return std::make_unique<MacEventSource>(std::move(source));
}

std::unique_ptr<Event> MacEventServices::create(const EventSource* source) {
    return wrap(CGEventCreate(cgSource(source)));
}

std::unique_ptr<Event> MacEventServices::createMouseEvent(const EventSource* source, platform::EventType type,
                                                          platform::Point location, platform::MouseButton button) {
    return wrap(CGEventCreateMouseEvent(cgSource(source), static_cast<CGEventType>(type),
                                        CGPointMake(location.x, location.y), static_cast<CGMouseButton>(button)));
}

std::unique_ptr<Event> MacEventServices::createScrollWheelEvent2(const EventSource* source, platform::ScrollUnit unit,
                                                                 uint32_t wheelCount, int32_t wheel1, int32_t wheel2,
                                                                 int32_t wheel3) {
    return wrap(CGEventCreateScrollWheelEvent2(cgSource(source), static_cast<CGScrollEventUnit>(unit), wheelCount,
                                               wheel1, wheel2, wheel3));
}

void MacEventServices::post(platform::TapLocation location, Event& event) {
    CGEventPost(static_cast<CGEventTapLocation>(location), cgEvent(event));
}

void MacEventServices::postToPid(int32_t pid, Event& event) {
    CGEventPostToPid(pid, cgEvent(event));
}

}  // namespace qm::macos
