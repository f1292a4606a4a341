#pragma once

#include <CoreGraphics/CoreGraphics.h>

#include <memory>

#include "platform/events.h"
#include "platform/macos/cf_ref.h"

namespace qm::macos {

// A Quartz event: one this object owns, or one the system lends for the
// duration of a tap callback.
class MacEvent : public platform::Event {
public:
    explicit MacEvent(CFRef<CGEventRef> owned) : owned_(std::move(owned)), event_(owned_.get()) {}
    static MacEvent borrowing(CGEventRef event) { return MacEvent(event); }
    MacEvent(const MacEvent&) = delete;
    MacEvent& operator=(const MacEvent&) = delete;

    platform::Point location() const override;
    void setLocation(platform::Point p) override;
    platform::EventFlags flags() const override;
    int64_t integerValueField(platform::EventField field) const override;
    void setIntegerValueField(platform::EventField field, int64_t value) override;
    CGEventRef event() const { return event_; }

private:
    explicit MacEvent(CGEventRef borrowed) : event_(borrowed) {}

    CFRef<CGEventRef> owned_;
    CGEventRef event_;
};

class MacEventSource : public platform::EventSource {
public:
    explicit MacEventSource(CFRef<CGEventSourceRef> source) : source_(std::move(source)) {}
    CGEventSourceRef source() const { return source_.get(); }

private:
    CFRef<CGEventSourceRef> source_;
};

// One port of the window server's event taps, with what its callback reaches.
class TapPort {
public:
    // What the system's C callback needs to reach the program's callback.
    struct Target {
        platform::TapCallback callback;
        void* userInfo;
    };
    // Where and how the port taps the event stream.
    struct Place {
        CGEventTapLocation location;
        CGEventTapPlacement placement;
        CGEventTapOptions options;
    };

    // Nothing when the process may not filter input events.
    static std::unique_ptr<TapPort> create(const Place& place, CGEventMask mask, const Target& target);
    ~TapPort();
    TapPort(const TapPort&) = delete;
    TapPort& operator=(const TapPort&) = delete;

    CFMachPortRef port() const { return port_.get(); }

private:
    TapPort(std::unique_ptr<Target> target, CFRef<CFMachPortRef> port)
        : target_(std::move(target)), port_(std::move(port)) {}

    // Outlives the port, whose callbacks point at it.
    std::unique_ptr<Target> target_;
    CFRef<CFMachPortRef> port_;
};

// The tap the program asked for. A tap holds each event it listens to until
// its callback returns, so left and right presses come through a second port,
// made only while the program needs every click.
class MacEventTap : public platform::EventTap {
public:
    MacEventTap(std::unique_ptr<TapPort> port, const TapPort::Place& place, CGEventMask clicks,
                const TapPort::Target& target);
    ~MacEventTap() override;
    MacEventTap(const MacEventTap&) = delete;
    MacEventTap& operator=(const MacEventTap&) = delete;

    void enable(bool on) override;
    bool isEnabled() const override;
    std::unique_ptr<platform::RunLoopSource> createRunLoopSource(int order) override;
    void setNeedsEveryClick(bool needed) override;

private:
    struct ClickPort;

    std::unique_ptr<TapPort> port_;
    TapPort::Place place_;
    CGEventMask clicks_;
    TapPort::Target target_;
    std::unique_ptr<ClickPort> clickPort_;
};

class MacEventServices : public platform::EventServices {
public:
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
};

}  // namespace qm::macos
