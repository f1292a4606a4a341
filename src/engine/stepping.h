#pragma once

#include "settings/settings.h"

// The constants and the speed curve of the scroll stepping.
namespace qm::stepping {

inline constexpr double tickInterval = 0.02;  // seconds
inline constexpr double exponent = 1.45;
inline constexpr double gain = 0.022;
inline constexpr double rateFactor = 60.0;
inline constexpr double speedCap = 10000.0;  // pixels per second
inline constexpr double smoothing = 0.25;    // share of the gap closed per tick
// A frame later than this counts as this late: after a stall the scrolling
// slows down for a moment instead of jumping.
inline constexpr double longestStep = 0.05;  // seconds

// The wheel velocity (pixels per second) for a pointer offset on one axis. It
// has the opposite sign of the offset, a pointer below the anchor scrolls
// down, unless the settings invert it.
double targetVelocity(double offset, const Settings& settings = {});

// The share of the gap to the target velocity closed over dt seconds: the
// fixed tick's share, compounded, so that the velocity follows the same curve
// at any frame rate.
double smoothingOver(double dt);

}  // namespace qm::stepping
