#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "platform/main_queue.h"
#include "platform/run_loop.h"
#include "platform/sim/ledger.h"

namespace qm::sim {

using Micros = int64_t;

// Which modes a source or timer was added in.
using ModeSet = std::set<platform::RunLoopMode>;

struct SourceState {
    ModeSet modes;
    // Called once the source has left its last mode: what it feeds stops.
    std::function<void()> onRemoved;
};

class SimRunLoopSource : public platform::RunLoopSource {
public:
    SimRunLoopSource(Ledger& ledger, std::shared_ptr<SourceState> state)
        : counted_(ledger, Ledger::runLoopSource), state_(std::move(state)) {}
    ~SimRunLoopSource() override { state_->modes.clear(); }
    SourceState& state() { return *state_; }

private:
    Counted counted_;
    std::shared_ptr<SourceState> state_;
};

// The main run loop on a virtual clock of whole microseconds. Timers fire at
// their start plus whole intervals, so they never drift. Blocks sent to the
// main queue run at the same instant, as soon as the outermost callout (a
// tap's callback, a timer, a notification, a step of the user) has returned.
class SimRunLoop : public platform::RunLoop, public platform::MainQueue {
public:
    explicit SimRunLoop(Ledger& ledger) : ledger_(ledger) {}

    std::unique_ptr<platform::Timer> makeTimer(double interval, bool repeats, std::function<void()> block) override;
    void addTimer(platform::Timer& timer, platform::RunLoopMode mode) override;
    std::unique_ptr<platform::Timer> scheduledTimer(double interval, bool repeats,
                                                    std::function<void()> block) override;
    void addSource(platform::RunLoopSource& source, platform::RunLoopMode mode) override;
    void removeSource(platform::RunLoopSource& source, platform::RunLoopMode mode) override;
    // Outside every callout (a test calling the program directly) there is
    // nothing to wait for: the block runs at once.
    void async(std::function<void()> block) override;

    // Runs one callout of the run loop, then, if it was the outermost, the blocks queued meanwhile.
    template <class F>
    void callout(F&& body) {
        ++calloutDepth_;
        body();
        if (--calloutDepth_ == 0) {
            runQueued();
            fireLateTimers();
        }
    }
    // Runs a nested run loop (a modal alert's): callouts inside it are outermost again.
    template <class F>
    void nested(F&& body) {
        const int depth = std::exchange(calloutDepth_, 0);
        body();
        calloutDepth_ = depth;
    }
    // Drops the queued blocks unrun, as when the process ends.
    void discardQueued() { queued_.clear(); }

    Micros now() const { return now_; }
    double currentTime() const override { return static_cast<double>(now_) / 1e6; }
    // Fires, in time order, every timer due at or before t (or before the
    // time a waiting callout reached, when that is later), then sets the
    // clock to t if it is not past it already.
    void advanceTo(Micros t);
    // The program waits this long inside a callout for a call to return: the
    // clock moves on at once, and the timers that fell due meanwhile fire
    // once the outermost callout has returned.
    void wait(Micros duration);
    // Whether something added in these modes runs in the current mode.
    bool isLive(const ModeSet& modes) const;
    void setMode(platform::RunLoopMode mode) { mode_ = mode; }
    platform::RunLoopMode mode() const { return mode_; }
    // How many timer callbacks have run: the program's wake-ups.
    std::size_t firings() const { return firings_; }
    std::size_t validTimers() const;

private:
    struct TimerState;
    class SimTimer;

    std::shared_ptr<TimerState> nextDue(Micros t) const;
    void runQueued();
    void fireLateTimers();

    Ledger& ledger_;
    Micros now_ = 0;
    platform::RunLoopMode mode_ = platform::RunLoopMode::defaultMode;
    std::vector<std::shared_ptr<TimerState>> timers_;
    std::size_t firings_ = 0;
    std::deque<std::function<void()>> queued_;
    int calloutDepth_ = 0;
    bool advancing_ = false;
    // A callout waited past timers that were due.
    bool late_ = false;
};

Micros toMicros(double seconds);

}  // namespace qm::sim
