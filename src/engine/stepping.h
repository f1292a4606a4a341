#pragma once

// The constants and the speed curve of the scroll stepping.
namespace qm::stepping {

inline constexpr double tickInterval = 0.02;  // seconds
inline constexpr double deadZone = 10.0;      // points per axis
inline constexpr double exponent = 1.45;
inline constexpr double gain = 0.022;
inline constexpr double rateFactor = 60.0;
inline constexpr double speedCap = 10000.0;  // pixels per second
inline constexpr double smoothing = 0.25;    // share of the gap closed per tick

// The wheel velocity (pixels per second) for a pointer offset on one axis. It
// has the opposite sign of the offset: a pointer below the anchor scrolls down.
double targetVelocity(double offset);

}  // namespace qm::stepping
