#include "platform/sim/sim_run_loop.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace qm::sim {

using platform::RunLoopMode;

Micros toMicros(double seconds) {
    return std::llround(seconds * 1e6);
}

struct SimRunLoop::TimerState {
    Micros interval = 0;
    bool repeats = false;
    std::function<void()> block;
    bool valid = true;
    ModeSet modes;
    Micros nextFire = 0;
};

class SimRunLoop::SimTimer : public platform::Timer {
public:
    SimTimer(Ledger& ledger, std::shared_ptr<TimerState> state)
        : counted_(ledger, Ledger::timer), state_(std::move(state)) {}
    ~SimTimer() override { invalidate(); }
    void invalidate() override { state_->valid = false; }
    bool isValid() const override { return state_->valid; }
    TimerState& state() { return *state_; }

private:
    Counted counted_;
    std::shared_ptr<TimerState> state_;
};

std::unique_ptr<platform::Timer> SimRunLoop::makeTimer(double interval, bool repeats, std::function<void()> block) {
    // Timers shorter than the clock's resolution would never let time pass.
    const Micros micros = std::max<Micros>(toMicros(interval), 1);
    auto state = std::make_shared<TimerState>();
    state->interval = micros;
    state->repeats = repeats;
    state->block = std::move(block);
    timers_.push_back(state);
    return std::make_unique<SimTimer>(ledger_, std::move(state));
}

void SimRunLoop::addTimer(platform::Timer& timer, RunLoopMode mode) {
    TimerState& state = static_cast<SimTimer&>(timer).state();
    if (state.modes.empty()) state.nextFire = now_ + state.interval;
    state.modes.insert(mode);
}

std::unique_ptr<platform::Timer> SimRunLoop::scheduledTimer(double interval, bool repeats,
                                                            std::function<void()> block) {
    auto timer = makeTimer(interval, repeats, std::move(block));
    addTimer(*timer, RunLoopMode::defaultMode);
    return timer;
}

void SimRunLoop::addSource(platform::RunLoopSource& source, RunLoopMode mode) {
    static_cast<SimRunLoopSource&>(source).state().modes.insert(mode);
}

void SimRunLoop::removeSource(platform::RunLoopSource& source, RunLoopMode mode) {
    SourceState& state = static_cast<SimRunLoopSource&>(source).state();
    state.modes.erase(mode);
    if (state.modes.empty() && state.onRemoved) std::exchange(state.onRemoved, nullptr)();
}

void SimRunLoop::async(std::function<void()> block) {
    if (calloutDepth_ == 0) return block();
    queued_.push_back(std::move(block));
}

void SimRunLoop::runQueued() {
    while (!queued_.empty()) {
        auto block = std::move(queued_.front());
        queued_.pop_front();
        // A callout of its own: what it queues runs after it, in the same turn.
        ++calloutDepth_;
        block();
        --calloutDepth_;
    }
}

bool SimRunLoop::isLive(const ModeSet& modes) const {
    // The common modes are all of them: default, modal panel and event tracking.
    return modes.contains(RunLoopMode::common) || modes.contains(mode_);
}

std::size_t SimRunLoop::validTimers() const {
    return std::count_if(timers_.begin(), timers_.end(), [](const auto& t) { return t->valid; });
}

std::shared_ptr<SimRunLoop::TimerState> SimRunLoop::nextDue(Micros t) const {
    std::shared_ptr<TimerState> next;
    for (const auto& timer : timers_) {
        if (!timer->valid || timer->modes.empty() || timer->nextFire > t) continue;
        // A one-shot timer waits for its mode; a repeating one skips the firing.
        if (!timer->repeats && !isLive(timer->modes)) continue;
        if (!next || timer->nextFire < next->nextFire) next = timer;
    }
    return next;
}

void SimRunLoop::wait(Micros duration) {
    if (duration <= 0) return;
    now_ += duration;
    late_ = true;
}

void SimRunLoop::fireLateTimers() {
    if (advancing_ || !std::exchange(late_, false)) return;
    advanceTo(now_);
}

void SimRunLoop::advanceTo(Micros t) {
    const bool outermost = !std::exchange(advancing_, true);
    while (auto timer = nextDue(std::max(t, now_))) {
        now_ = std::max(now_, timer->nextFire);
        // A timer that fires late skips the firings it missed, so it keeps to
        // its start plus whole intervals.
        timer->nextFire += ((now_ - timer->nextFire) / timer->interval + 1) * timer->interval;
        // A timer whose modes are not running misses this firing.
        if (!isLive(timer->modes)) continue;
        if (!timer->repeats) timer->valid = false;
        ++firings_;
        // The local reference keeps the block alive if it destroys its own timer.
        callout([&] { timer->block(); });
    }
    std::erase_if(timers_, [](const auto& timer) { return !timer->valid; });
    now_ = std::max(now_, t);
    if (outermost) advancing_ = late_ = false;
}

}  // namespace qm::sim
