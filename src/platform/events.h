#pragma once

#include <cstdint>
#include <memory>

#include "platform/geometry.h"

// Quartz Event Services: taps, event creation, fields and posting. The numbers
// are the system's own, so the macOS backend passes them straight through.
namespace qm::platform {

class RunLoopSource;

using EventType = uint32_t;
namespace event_type {
inline constexpr EventType leftMouseDown = 1;
inline constexpr EventType leftMouseUp = 2;
inline constexpr EventType rightMouseDown = 3;
inline constexpr EventType rightMouseUp = 4;
inline constexpr EventType mouseMoved = 5;
inline constexpr EventType keyDown = 10;
inline constexpr EventType keyUp = 11;
inline constexpr EventType scrollWheel = 22;
inline constexpr EventType otherMouseDown = 25;
inline constexpr EventType otherMouseUp = 26;
inline constexpr EventType tapDisabledByTimeout = 0xFFFFFFFE;
inline constexpr EventType tapDisabledByUserInput = 0xFFFFFFFF;
}  // namespace event_type

using EventMask = uint64_t;
constexpr EventMask eventMaskBit(EventType type) {
    return EventMask{1} << type;
}

using EventField = uint32_t;
namespace event_field {
inline constexpr EventField mouseButtonNumber = 3;
inline constexpr EventField keyboardKeycode = 9;
inline constexpr EventField scrollWheelDeltaAxis1 = 11;
inline constexpr EventField scrollWheelDeltaAxis2 = 12;
inline constexpr EventField sourceUserData = 42;
inline constexpr EventField scrollWheelPointDeltaAxis1 = 96;
inline constexpr EventField scrollWheelPointDeltaAxis2 = 97;
inline constexpr EventField windowUnderMousePointer = 91;
inline constexpr EventField windowUnderMousePointerThatCanHandleThisEvent = 92;
}  // namespace event_field

using EventFlags = uint64_t;
inline constexpr EventFlags eventFlagMaskShift = 0x00020000;
inline constexpr EventFlags eventFlagMaskCommand = 0x00100000;

using MouseButton = uint32_t;
namespace mouse_button {
inline constexpr MouseButton left = 0;
inline constexpr MouseButton right = 1;
inline constexpr MouseButton center = 2;
}  // namespace mouse_button

enum class TapLocation : uint32_t { hid = 0, session = 1, annotatedSession = 2 };
enum class TapPlacement : uint32_t { headInsert = 0, tailAppend = 1 };
enum class TapOptions : uint32_t { defaultFilter = 0, listenOnly = 1 };
enum class ScrollUnit : uint32_t { pixel = 0, line = 1 };
enum class EventSourceState : int32_t { combinedSession = 0, hidSystem = 1 };

class Event {
public:
    virtual ~Event() = default;
    virtual Point location() const = 0;
    virtual void setLocation(Point p) = 0;
    virtual EventFlags flags() const = 0;
    virtual int64_t integerValueField(EventField field) const = 0;
    virtual void setIntegerValueField(EventField field, int64_t value) = 0;
};

class EventSource {
public:
    virtual ~EventSource() = default;
};

// Returns the event to let it through, or nullptr to consume it.
using TapCallback = Event* (*)(EventType type, Event* event, void* userInfo);

// An event tap's port. Destroying it invalidates the tap.
class EventTap {
public:
    virtual ~EventTap() = default;
    virtual void enable(bool on) = 0;
    virtual bool isEnabled() const = 0;
    virtual std::unique_ptr<RunLoopSource> createRunLoopSource(int order) = 0;
    // Whether every click of the mask must reach the tap now. A tap holds each
    // event it catches until its callback returns, so catching every click
    // would make every application wait on the program: a tap brings left and
    // right presses only while this is on.
    virtual void setNeedsEveryClick(bool needed) = 0;
};

class EventServices {
public:
    virtual ~EventServices() = default;
    // Nothing when the process may not filter input events.
    virtual std::unique_ptr<EventTap> tapCreate(TapLocation location, TapPlacement placement, TapOptions options,
                                                EventMask mask, TapCallback callback, void* userInfo) = 0;
    virtual std::unique_ptr<EventSource> createSource(EventSourceState state) = 0;
    // An empty event whose location is the pointer's.
    virtual std::unique_ptr<Event> create(const EventSource* source) = 0;
    virtual std::unique_ptr<Event> createMouseEvent(const EventSource* source, EventType type, Point location,
                                                    MouseButton button) = 0;
    virtual std::unique_ptr<Event> createScrollWheelEvent2(const EventSource* source, ScrollUnit unit,
                                                           uint32_t wheelCount, int32_t wheel1, int32_t wheel2,
                                                           int32_t wheel3) = 0;
    virtual void post(TapLocation location, Event& event) = 0;
    virtual void postToPid(int32_t pid, Event& event) = 0;
};

}  // namespace qm::platform
