#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "settings/settings.h"

namespace qm::test {

// The stepping written from its rules, apart from the engine: the target
// speed of an offset, the velocity closing a share of the gap per step (a
// quarter per 20 ms, compounded), and whole pixels out with the fractions
// carried.
class SteppingModel {
public:
    explicit SteppingModel(Settings settings = {}) : settings_(settings) {}

    struct Wheels {
        int wheel1, wheel2;
        bool operator==(const Wheels&) const = default;
    };

    double target(double offset) const {
        const double distance = std::fabs(offset);
        if (distance <= settings_.deadZone) return 0;
        const double speed =
            std::min(std::pow(distance - settings_.deadZone, 1.45) * 0.022 * 60.0 * settings_.scrollSpeed, 10000.0);
        const bool down = offset > 0;
        return down != settings_.invertScrolling ? -speed : speed;
    }

    // One step of dt seconds with the pointer at (dx, dy) from the anchor.
    Wheels step(double dx, double dy, double dt) {
        const double share = dt == 0.02 ? 0.25 : 1 - std::pow(0.75, dt / 0.02);
        velX_ += ((settings_.verticalOnly ? 0 : target(dx)) - velX_) * share;
        velY_ += (target(dy) - velY_) * share;
        accX_ += velX_ * dt;
        accY_ += velY_ * dt;
        const double wX = std::trunc(accX_), wY = std::trunc(accY_);
        accX_ -= wX;
        accY_ -= wY;
        return {static_cast<int>(wY), static_cast<int>(wX)};
    }

    // The distance travelled t seconds after starting from rest towards speed,
    // with the velocity as a smooth curve: the frame rate's own share left out.
    static double curveDistance(double speed, double t) {
        const double rate = std::log(1 / 0.75) / 0.02;
        return speed * (t - (1 - std::exp(-rate * t)) / rate);
    }

private:
    Settings settings_;
    double velX_ = 0, velY_ = 0, accX_ = 0, accY_ = 0;
};

}  // namespace qm::test
