#include "platform/macos/mac_run_loop.h"

#import <AppKit/AppKit.h>

namespace qm::macos {

using platform::RunLoopMode;

namespace {

NSRunLoopMode timerMode(RunLoopMode mode) {
    switch (mode) {
        case RunLoopMode::defaultMode: return NSDefaultRunLoopMode;
        case RunLoopMode::common: return NSRunLoopCommonModes;
        case RunLoopMode::modalPanel: return NSModalPanelRunLoopMode;
        case RunLoopMode::eventTracking: return NSEventTrackingRunLoopMode;
    }
    return NSDefaultRunLoopMode;
}

// Core Foundation names its own two modes; AppKit's are the same strings on both sides of the bridge.
CFRunLoopMode sourceMode(RunLoopMode mode) {
    switch (mode) {
        case RunLoopMode::defaultMode: return kCFRunLoopDefaultMode;
        case RunLoopMode::common: return kCFRunLoopCommonModes;
        case RunLoopMode::modalPanel:
        case RunLoopMode::eventTracking: return (__bridge CFRunLoopMode)timerMode(mode);
    }
    return kCFRunLoopDefaultMode;
}

CFRunLoopSourceRef cfSource(platform::RunLoopSource& source) {
    return static_cast<MacRunLoopSource&>(source).source();
}

}  // namespace

MacTimer::MacTimer(double interval, bool repeats, std::function<void()> block)
    : callback_(std::make_shared<std::function<void()>>(std::move(block))) {
    std::weak_ptr<std::function<void()>> weak = callback_;
    timer_ = [NSTimer timerWithTimeInterval:interval
                                    repeats:repeats
                                      block:^(NSTimer*) {
                                        // An agent application seldom gets the AppKit event that would drain the pool.
                                        @autoreleasepool {
                                            // Held strongly for the call, which may destroy its own timer.
                                            if (auto callback = weak.lock()) (*callback)();
                                        }
                                      }];
}

MacTimer::~MacTimer() {
    invalidate();
}

void MacTimer::invalidate() {
    [timer_ invalidate];
}

bool MacTimer::isValid() const {
    return timer_.valid;
}

MacRunLoopSource::~MacRunLoopSource() {
    if (source_) CFRunLoopSourceInvalidate(source_.get());
}

std::unique_ptr<platform::Timer> MacRunLoop::makeTimer(double interval, bool repeats, std::function<void()> block) {
    return std::make_unique<MacTimer>(interval, repeats, std::move(block));
}

void MacRunLoop::addTimer(platform::Timer& timer, RunLoopMode mode) {
    [NSRunLoop.mainRunLoop addTimer:static_cast<MacTimer&>(timer).timer() forMode:timerMode(mode)];
}

std::unique_ptr<platform::Timer> MacRunLoop::scheduledTimer(double interval, bool repeats,
                                                            std::function<void()> block) {
    auto timer = makeTimer(interval, repeats, std::move(block));
    addTimer(*timer, RunLoopMode::defaultMode);
    return timer;
}

void MacRunLoop::addSource(platform::RunLoopSource& source, RunLoopMode mode) {
    if (auto ref = cfSource(source)) CFRunLoopAddSource(CFRunLoopGetMain(), ref, sourceMode(mode));
}

void MacRunLoop::removeSource(platform::RunLoopSource& source, RunLoopMode mode) {
    if (auto ref = cfSource(source)) CFRunLoopRemoveSource(CFRunLoopGetMain(), ref, sourceMode(mode));
}

void MacRunLoop::async(std::function<void()> block) {
    auto held = std::make_shared<std::function<void()>>(std::move(block));
    dispatch_async(dispatch_get_main_queue(), ^{
      @autoreleasepool {
          (*held)();
      }
    });
}

}  // namespace qm::macos
