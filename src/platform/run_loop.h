#pragma once

#include <chrono>
#include <functional>
#include <memory>

// The main run loop: its sources, timers and modes.
namespace qm::platform {

enum class RunLoopMode { defaultMode, modalPanel, eventTracking, common };

// Destroying a source removes it from every run loop it was added to.
class RunLoopSource {
public:
    virtual ~RunLoopSource() = default;
};

// Destroying a timer invalidates it, so a callback never outlives its owner.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void invalidate() = 0;
    virtual bool isValid() const = 0;
};

class RunLoop {
public:
    virtual ~RunLoop() = default;
    // A timer not yet on any run loop; it fires every interval seconds after it is added.
    virtual std::unique_ptr<Timer> makeTimer(double interval, bool repeats, std::function<void()> block) = 0;
    virtual void addTimer(Timer& timer, RunLoopMode mode) = 0;
    // A timer already added in the default mode.
    virtual std::unique_ptr<Timer> scheduledTimer(double interval, bool repeats, std::function<void()> block) = 0;
    virtual void addSource(RunLoopSource& source, RunLoopMode mode) = 0;
    virtual void removeSource(RunLoopSource& source, RunLoopMode mode) = 0;
    // Seconds on the steady clock the timers keep, for measuring how long
    // something takes; never the time of day.
    virtual double currentTime() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }
};

}  // namespace qm::platform
