#include "engine/stepping.h"

#include <algorithm>
#include <cmath>

namespace qm::stepping {

double targetVelocity(double offset) {
    const double distance = std::fabs(offset);
    if (distance <= deadZone) return 0;
    const double speed = std::min(std::pow(distance - deadZone, exponent) * gain * rateFactor, speedCap);
    return offset > 0 ? -speed : speed;
}

}  // namespace qm::stepping
