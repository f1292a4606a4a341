#import <AppKit/AppKit.h>
#import <CoreVideo/CoreVideo.h>

#include <atomic>
#include <memory>

#include "platform/macos/mac_display_links.h"

// What the screen's display link (macOS 14 on) answers to. The SDK the program
// is built against may predate it, so it is reached through these
// declarations of our own, and only where the screen responds to them.
@protocol QMScreenDisplayLink <NSObject>
@property(readonly) CFTimeInterval timestamp;
- (void)addToRunLoop:(NSRunLoop*)runLoop forMode:(NSRunLoopMode)mode;
- (void)invalidate;
@end

@protocol QMScreenWithDisplayLink <NSObject>
- (id<QMScreenDisplayLink>)displayLinkWithTarget:(id)target selector:(SEL)selector;
@end

// The target of a screen's display link: it hands each frame's time on.
@interface QMFrameTarget : NSObject
- (instancetype)initWithCallback:(qm::platform::FrameCallback)callback;
- (void)frame:(id<QMScreenDisplayLink>)link;
@end

@implementation QMFrameTarget {
    qm::platform::FrameCallback _callback;
}

- (instancetype)initWithCallback:(qm::platform::FrameCallback)callback {
    if ((self = [super init])) _callback = std::move(callback);
    return self;
}

- (void)frame:(id<QMScreenDisplayLink>)link {
    _callback(link.timestamp);
}

@end

namespace qm::macos {

namespace {

double hostSeconds(uint64_t hostTime) {
    return static_cast<double>(hostTime) / CVGetHostClockFrequency();
}

CGDirectDisplayID displayAt(platform::Point p) {
    CGDirectDisplayID display = 0;
    uint32_t count = 0;
    if (CGGetDisplaysWithPoint(CGPointMake(p.x, p.y), 1, &display, &count) != kCGErrorSuccess || count == 0)
        return CGMainDisplayID();
    return display;
}

NSScreen* screenOf(CGDirectDisplayID display) {
    for (NSScreen* screen in NSScreen.screens) {
        NSNumber* number = screen.deviceDescription[@"NSScreenNumber"];
        if (number && number.unsignedIntValue == display) return screen;
    }
    return nil;
}

// Runs on the main run loop in its common modes; invalidating it releases the target.
class ScreenLink : public platform::DisplayLink {
public:
    explicit ScreenLink(id<QMScreenDisplayLink> link) : link_(link) {
        [link_ addToRunLoop:NSRunLoop.mainRunLoop forMode:NSRunLoopCommonModes];
    }
    ~ScreenLink() override { [link_ invalidate]; }

private:
    id<QMScreenDisplayLink> link_;
};

// Shared by the CoreVideo thread and the main thread: the one field both touch is atomic.
struct CoreVideoFrames {
    explicit CoreVideoFrames(platform::FrameCallback callback) : onFrame(std::move(callback)) {}
    platform::FrameCallback onFrame;   // main thread only
    bool stopped = false;              // main thread only
    std::atomic<bool> pending{false};  // a frame is on its way to the main thread
};

class CoreVideoLink : public platform::DisplayLink {
public:
    CoreVideoLink(CVDisplayLinkRef link, std::shared_ptr<CoreVideoFrames> frames)
        : link_(link), frames_(std::move(frames)) {}
    // Stopping waits for a frame the link's thread is handing on; the handler
    // never waits for the main thread, so this cannot deadlock.
    ~CoreVideoLink() override {
        frames_->stopped = true;
        CVDisplayLinkStop(link_);
        CVDisplayLinkRelease(link_);
    }

private:
    CVDisplayLinkRef link_;
    std::shared_ptr<CoreVideoFrames> frames_;
};

std::unique_ptr<platform::DisplayLink> startScreenLink(NSScreen* screen, const platform::FrameCallback& onFrame) {
    const SEL make = @selector(displayLinkWithTarget:selector:);
    if (!screen || ![screen respondsToSelector:make]) return nullptr;
    QMFrameTarget* target = [[QMFrameTarget alloc] initWithCallback:onFrame];
    id<QMScreenDisplayLink> link = [(id<QMScreenWithDisplayLink>)screen displayLinkWithTarget:target
                                                                                     selector:@selector(frame:)];
    return link ? std::make_unique<ScreenLink>(link) : nullptr;
}

std::unique_ptr<platform::DisplayLink> startCoreVideoLink(CGDirectDisplayID display, platform::FrameCallback onFrame) {
    CVDisplayLinkRef link = nullptr;
    if (CVDisplayLinkCreateWithCGDisplay(display, &link) != kCVReturnSuccess || !link) return nullptr;
    auto frames = std::make_shared<CoreVideoFrames>(std::move(onFrame));
    CVDisplayLinkSetOutputHandler(
        link, ^CVReturn(CVDisplayLinkRef, const CVTimeStamp* now, const CVTimeStamp*, CVOptionFlags, CVOptionFlags*) {
          // On the link's own thread: nothing is stepped here. A frame the main
          // thread has not taken yet makes this one superfluous.
          if (frames->pending.exchange(true)) return kCVReturnSuccess;
          const double time = hostSeconds(now->hostTime);
          dispatch_async(dispatch_get_main_queue(), ^{
            frames->pending = false;
            if (!frames->stopped) frames->onFrame(time);
          });
          return kCVReturnSuccess;
        });
    if (CVDisplayLinkStart(link) != kCVReturnSuccess) {
        CVDisplayLinkRelease(link);
        return nullptr;
    }
    return std::make_unique<CoreVideoLink>(link, std::move(frames));
}

}  // namespace

std::unique_ptr<platform::DisplayLink> MacDisplayLinks::start(platform::Point onDisplay,
                                                              platform::FrameCallback onFrame) {
    const CGDirectDisplayID display = displayAt(onDisplay);
    if (auto link = startScreenLink(screenOf(display), onFrame)) return link;
    return startCoreVideoLink(display, std::move(onFrame));
}

double MacDisplayLinks::now() const {
    return hostSeconds(CVGetCurrentHostTime());
}

}  // namespace qm::macos
