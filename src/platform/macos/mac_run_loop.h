#pragma once

#import <Foundation/Foundation.h>

#include <functional>
#include <memory>

#include "platform/macos/cf_ref.h"
#include "platform/main_queue.h"
#include "platform/run_loop.h"

namespace qm::macos {

class MacTimer : public platform::Timer {
public:
    MacTimer(double interval, bool repeats, std::function<void()> block);
    ~MacTimer() override;
    MacTimer(const MacTimer&) = delete;
    MacTimer& operator=(const MacTimer&) = delete;

    void invalidate() override;
    bool isValid() const override;
    NSTimer* timer() const { return timer_; }

private:
    // The block holds the callback only weakly, so it can never call into the
    // owner of a timer that is gone.
    std::shared_ptr<std::function<void()>> callback_;
    NSTimer* timer_;
};

// Empty when the system could not make the source; such a source never fires.
class MacRunLoopSource : public platform::RunLoopSource {
public:
    explicit MacRunLoopSource(CFRef<CFRunLoopSourceRef> source) : source_(std::move(source)) {}
    ~MacRunLoopSource() override;
    MacRunLoopSource(const MacRunLoopSource&) = delete;
    MacRunLoopSource& operator=(const MacRunLoopSource&) = delete;

    CFRunLoopSourceRef source() const { return source_.get(); }

private:
    CFRef<CFRunLoopSourceRef> source_;
};

// The main thread's run loop, and the dispatch queue it serves.
class MacRunLoop : public platform::RunLoop, public platform::MainQueue {
public:
    std::unique_ptr<platform::Timer> makeTimer(double interval, bool repeats, std::function<void()> block) override;
    void addTimer(platform::Timer& timer, platform::RunLoopMode mode) override;
    std::unique_ptr<platform::Timer> scheduledTimer(double interval, bool repeats,
                                                    std::function<void()> block) override;
    void addSource(platform::RunLoopSource& source, platform::RunLoopMode mode) override;
    void removeSource(platform::RunLoopSource& source, platform::RunLoopMode mode) override;
    void async(std::function<void()> block) override;
};

}  // namespace qm::macos
