#pragma once

namespace qm::platform {

// Points and rectangles in points, as 64-bit floats. Which space a value lives
// in (Quartz global, y down; AppKit screen, y up) is said where it is used.
struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double minX() const { return x; }
    double minY() const { return y; }
    double maxX() const { return x + width; }
    double maxY() const { return y + height; }
    bool operator==(const Rect&) const = default;
};

// The window server's containment test: minimum edges inside, maximum edges
// outside, so that adjacent rectangles never both claim a point.
inline bool rectContainsPoint(const Rect& r, const Point& p) {
    return p.x >= r.minX() && p.x < r.maxX() && p.y >= r.minY() && p.y < r.maxY();
}

}  // namespace qm::platform
