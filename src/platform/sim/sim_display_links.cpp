#include "platform/sim/sim_display_links.h"

#include <algorithm>
#include <cmath>

namespace qm::sim {

namespace {

// A well-mixed 64-bit hash (splitmix64's finaliser), so that neighbouring
// frames get unrelated offsets.
uint64_t mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EB;
    return x ^ (x >> 31);
}

// A number in [0, 1) for a frame.
double unitNoise(uint64_t seed, int64_t frame) {
    return static_cast<double>(mix(seed ^ mix(static_cast<uint64_t>(frame))) >> 11) * 0x1.0p-53;
}

}  // namespace

struct SimDisplayLinks::LinkState {
    SimDisplayLinks& owner;
    platform::FrameCallback onFrame;
    std::unique_ptr<platform::Timer> timer;
};

class SimDisplayLinks::Link : public platform::DisplayLink {
public:
    Link(SimDisplayLinks& owner, platform::FrameCallback onFrame)
        : counted_(owner.context_.ledger, Ledger::displayLink),
          state_(std::make_shared<LinkState>(LinkState{owner, std::move(onFrame), nullptr})) {
        owner.context_.observer->displayLinkStarted();
        scheduleFrame(state_);
    }
    ~Link() override {
        state_->timer.reset();
        state_->owner.context_.observer->displayLinkStopped();
    }

private:
    Counted counted_;
    std::shared_ptr<LinkState> state_;
};

std::unique_ptr<platform::DisplayLink> SimDisplayLinks::start(platform::Point, platform::FrameCallback onFrame) {
    if (creationFails_) return nullptr;
    return std::make_unique<Link>(*this, std::move(onFrame));
}

Micros SimDisplayLinks::frameTime(int64_t frame) const {
    const double offset = rate_.jitter * (unitNoise(rate_.seed, frame) - 0.5);
    return toMicros(static_cast<double>(frame) / rate_.hz + offset);
}

Micros SimDisplayLinks::nextFrame(Micros t) const {
    // No frame before this one can fall after t: offsets stay within half a frame.
    int64_t frame = std::max<int64_t>(0, static_cast<int64_t>(std::floor(static_cast<double>(t) / 1e6 * rate_.hz)) - 1);
    while (frameTime(frame) <= t) ++frame;
    return frameTime(frame);
}

void SimDisplayLinks::scheduleFrame(const std::shared_ptr<LinkState>& state) {
    SimRunLoop& runLoop = state->owner.runLoop_;
    const Micros now = runLoop.now();
    const Micros next = state->owner.nextFrame(now);
    std::weak_ptr<LinkState> weak = state;
    auto timer = runLoop.makeTimer(static_cast<double>(next - now) / 1e6, false, [weak] {
        const auto state = weak.lock();
        if (!state) return;
        state->onFrame(state->owner.now());
        // The frame may have stopped its own link.
        if (state->timer) scheduleFrame(state);
    });
    runLoop.addTimer(*timer, platform::RunLoopMode::common);
    state->timer = std::move(timer);
}

}  // namespace qm::sim
