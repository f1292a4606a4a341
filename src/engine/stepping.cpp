#include "engine/stepping.h"

#include <algorithm>
#include <cmath>

namespace qm::stepping {

double targetVelocity(double offset, const Settings& settings) {
    const double distance = std::fabs(offset);
    if (distance <= settings.deadZone) return 0;
    const double speed =
        std::min(std::pow(distance - settings.deadZone, exponent) * gain * rateFactor * settings.scrollSpeed, speedCap);
    return (offset > 0) != settings.invertScrolling ? -speed : speed;
}

double smoothingOver(double dt) {
    // The fixed tick takes its share as it stands, with no rounding of a power.
    if (dt == tickInterval) return smoothing;
    return 1 - std::pow(1 - smoothing, dt / tickInterval);
}

}  // namespace qm::stepping
