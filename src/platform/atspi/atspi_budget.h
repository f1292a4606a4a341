#pragma once

#include <chrono>
#include <functional>

#include <glib.h>

namespace qm::atspi {

// How long one question about what lies under a point may take. The engine
// asks while a pointer grab holds every application's mouse, so a client that
// never answers must cost the question's budget once, not a timeout per call.
class AtspiBudget {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::milliseconds total{80};
    static constexpr std::chrono::milliseconds defaultPerCall{50};

    AtspiBudget(Clock clock, std::chrono::milliseconds perCall);

    // Runs one libatspi call, bounded by what is left of the budget and by
    // the per-call bound. False when nothing was left or the call failed.
    bool call(const std::function<void(GError**)>& request);
    void setPerCall(std::chrono::milliseconds perCall) { perCall_ = perCall; }

private:
    Clock clock_;
    std::chrono::steady_clock::time_point deadline_;
    std::chrono::milliseconds perCall_;
};

}  // namespace qm::atspi
