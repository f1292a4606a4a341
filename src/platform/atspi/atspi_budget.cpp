#include "platform/atspi/atspi_budget.h"

#include <atspi/atspi.h>

#include <algorithm>

namespace qm::atspi {

AtspiBudget::AtspiBudget(Clock clock, std::chrono::milliseconds perCall)
    : clock_(std::move(clock)), deadline_(clock_() + total), perCall_(perCall) {}

bool AtspiBudget::call(const std::function<void(GError**)>& request) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - clock_());
    if (left.count() < 1) return false;
    // One libatspi call may take two round trips (its first look at an object
    // asks for the object's interfaces too), so each gets half of what is left.
    const int bound = static_cast<int>(std::max<long long>(1, std::min(left / 2, perCall_).count()));
    // Also the bound for a client that has only just started, which libatspi otherwise waits longer for.
    atspi_set_timeout(bound, bound);
    GError* error = nullptr;
    request(&error);
    if (!error) return true;
    g_error_free(error);
    return false;
}

}  // namespace qm::atspi
