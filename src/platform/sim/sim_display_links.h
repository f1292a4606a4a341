#pragma once

#include <cstdint>

#include "platform/display_link.h"
#include "platform/sim/context.h"
#include "platform/sim/sim_run_loop.h"

namespace qm::sim {

// How often the displays refresh. Frame k falls at k / hz, moved by a
// pseudo-random offset of at most half the jitter either way, the same for
// the same seed: so each interval is 1 / hz give or take the jitter, and the
// frames never drift.
struct RefreshRate {
    double hz = 60;
    double jitter = 0;  // seconds, less than 1 / hz
    uint64_t seed = 0;
};

// Display links on the virtual clock. Every display refreshes at the same rate.
class SimDisplayLinks : public platform::DisplayLinks {
public:
    SimDisplayLinks(Context& context, SimRunLoop& runLoop) : context_(context), runLoop_(runLoop) {}

    std::unique_ptr<platform::DisplayLink> start(platform::Point onDisplay, platform::FrameCallback onFrame) override;
    double now() const override { return static_cast<double>(runLoop_.now()) / 1e6; }

    // Counts from the next frame of every link.
    void setRefreshRate(RefreshRate rate) { rate_ = rate; }
    // Makes the next links fail, as when no display shows the point.
    void setCreationFails(bool fails) { creationFails_ = fails; }
    // The time of the first frame after t.
    Micros nextFrame(Micros t) const;

private:
    class Link;
    struct LinkState;
    static void scheduleFrame(const std::shared_ptr<LinkState>& state);
    Micros frameTime(int64_t frame) const;

    Context& context_;
    SimRunLoop& runLoop_;
    RefreshRate rate_;
    bool creationFails_ = false;
};

}  // namespace qm::sim
