#include "platform/linux/glib_run_loop.h"

#include <algorithm>
#include <cmath>

namespace qm::desktop {

using platform::RunLoopMode;

struct GLibRunLoop::TimerState {
    int64_t interval = 0;  // microseconds
    bool repeats = false;
    std::function<void()> block;
    ModeSet modes;
    int64_t due = 0;
    bool valid = true;
    bool added = false;
};

// The GSource that wakes the main context when the next live timer is due.
struct GLibRunLoop::Wakeup {
    GSource source;
    GLibRunLoop* loop;
};

class GLibRunLoop::GLibTimer : public platform::Timer {
public:
    GLibTimer(GLibRunLoop& loop, std::shared_ptr<TimerState> state) : loop_(loop), state_(std::move(state)) {}
    ~GLibTimer() override { invalidate(); }
    void invalidate() override {
        if (!state_->valid) return;
        state_->valid = false;
        std::erase(loop_.timers_, state_);
        loop_.schedule();
    }
    bool isValid() const override { return state_->valid; }
    const std::shared_ptr<TimerState>& state() const { return state_; }

private:
    GLibRunLoop& loop_;
    std::shared_ptr<TimerState> state_;
};

GLibRunLoop::GLibRunLoop() {
    static GSourceFuncs funcs{nullptr, nullptr, &GLibRunLoop::dispatch, nullptr, nullptr, nullptr};
    wakeup_ = g_source_new(&funcs, sizeof(Wakeup));
    reinterpret_cast<Wakeup*>(wakeup_)->loop = this;
    g_source_set_ready_time(wakeup_, -1);
    g_source_attach(wakeup_, nullptr);
}

GLibRunLoop::~GLibRunLoop() {
    g_source_destroy(wakeup_);
    g_source_unref(wakeup_);
}

std::unique_ptr<platform::Timer> GLibRunLoop::makeTimer(double interval, bool repeats, std::function<void()> block) {
    auto state = std::make_shared<TimerState>();
    // At least one microsecond, so a repeating timer always moves on.
    state->interval = std::max<int64_t>(1, std::llround(interval * 1e6));
    state->repeats = repeats;
    state->block = std::move(block);
    return std::make_unique<GLibTimer>(*this, std::move(state));
}

void GLibRunLoop::addTimer(platform::Timer& timer, RunLoopMode mode) {
    const auto& state = static_cast<GLibTimer&>(timer).state();
    if (!state->valid) return;
    state->modes.insert(mode);
    if (!state->added) {
        state->added = true;
        state->due = g_get_monotonic_time() + state->interval;
        timers_.push_back(state);
    }
    schedule();
}

std::unique_ptr<platform::Timer> GLibRunLoop::scheduledTimer(double interval, bool repeats,
                                                             std::function<void()> block) {
    auto timer = makeTimer(interval, repeats, std::move(block));
    addTimer(*timer, RunLoopMode::defaultMode);
    return timer;
}

void GLibRunLoop::addSource(platform::RunLoopSource& source, RunLoopMode mode) {
    static_cast<GLibRunLoopSource&>(source).modes().modes.insert(mode);
}

void GLibRunLoop::removeSource(platform::RunLoopSource& source, RunLoopMode mode) {
    static_cast<GLibRunLoopSource&>(source).modes().modes.erase(mode);
}

std::unique_ptr<GLibRunLoopSource> GLibRunLoop::makeSource() {
    return std::make_unique<GLibRunLoopSource>(std::make_shared<SourceModes>());
}

void GLibRunLoop::setMode(RunLoopMode mode) {
    mode_ = mode;
    schedule();
}

bool GLibRunLoop::isLive(const ModeSet& modes) const {
    // The common modes are all the others.
    return modes.contains(mode_) || modes.contains(RunLoopMode::common);
}

gboolean GLibRunLoop::dispatch(GSource* source, GSourceFunc, gpointer) {
    reinterpret_cast<Wakeup*>(source)->loop->fireDueTimers();
    return G_SOURCE_CONTINUE;
}

void GLibRunLoop::fireDueTimers() {
    const int64_t now = g_get_monotonic_time();
    // Earliest first; a callback may add, invalidate or destroy any timer.
    auto due = timers_;
    std::erase_if(due, [&](const auto& t) { return t->due > now || !isLive(t->modes); });
    std::sort(due.begin(), due.end(), [](const auto& a, const auto& b) { return a->due < b->due; });
    for (const auto& timer : due) {
        if (!timer->valid) continue;
        if (timer->repeats) {
            const int64_t missed = (now - timer->due) / timer->interval;
            timer->due += (missed + 1) * timer->interval;
        } else {
            timer->valid = false;
            std::erase(timers_, timer);
        }
        // The state, and so the block, lives through the call even if the
        // callback destroys the timer that owns it.
        timer->block();
    }
    schedule();
}

void GLibRunLoop::schedule() {
    int64_t next = -1;
    for (const auto& timer : timers_)
        if (isLive(timer->modes) && (next < 0 || timer->due < next)) next = timer->due;
    g_source_set_ready_time(wakeup_, next);
}

}  // namespace qm::desktop
