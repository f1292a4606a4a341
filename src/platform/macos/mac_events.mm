#include "platform/macos/mac_events.h"

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
        const auto* target = static_cast<const MacEventTap::Target*>(userInfo);
        MacEvent borrowed = MacEvent::borrowing(event);
        return target->callback(type, &borrowed, target->userInfo) ? event : nullptr;
    }
}

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

MacEventTap::~MacEventTap() {
    CGEventTapEnable(port_.get(), false);
    CFMachPortInvalidate(port_.get());
}

void MacEventTap::enable(bool on) {
    CGEventTapEnable(port_.get(), on);
}

bool MacEventTap::isEnabled() const {
    return CGEventTapIsEnabled(port_.get());
}

std::unique_ptr<platform::RunLoopSource> MacEventTap::createRunLoopSource(int order) {
    return std::make_unique<MacRunLoopSource>(
        CFRef<CFRunLoopSourceRef>(CFMachPortCreateRunLoopSource(kCFAllocatorDefault, port_.get(), order)));
}

std::unique_ptr<platform::EventTap> MacEventServices::tapCreate(platform::TapLocation location,
                                                                platform::TapPlacement placement,
                                                                platform::TapOptions options, platform::EventMask mask,
                                                                platform::TapCallback callback, void* userInfo) {
    auto target = std::make_unique<MacEventTap::Target>(MacEventTap::Target{callback, userInfo});
    CFRef<CFMachPortRef> port(
        CGEventTapCreate(static_cast<CGEventTapLocation>(location), static_cast<CGEventTapPlacement>(placement),
                         static_cast<CGEventTapOptions>(options), mask, tapTrampoline, target.get()));
    if (!port) return nullptr;
    return std::make_unique<MacEventTap>(std::move(port), std::move(target));
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
