#include "overlay/screen_coordinates.h"

#include <optional>

namespace qm {

using platform::Point;
using platform::Rect;

double ScreenCoordinates::primaryHeight(const platform::Screens& screens) {
    const auto all = screens.screens();
    return all.empty() ? screens.mainDisplayBounds().height : all.front().height;
}

Point ScreenCoordinates::quartzToAppKit(const platform::Screens& screens, Point p) {
    // The result is always the flip about the primary height; the reference
    // screen only decides which frame the arithmetic is carried out against.
    std::optional<Rect> reference;
    for (const Rect& f : screens.screens()) {
        const Rect quartz{f.minX(), primaryHeight(screens) - f.maxY(), f.width, f.height};
        if (platform::rectContainsPoint(quartz, p)) {
            reference = f;
            break;
        }
    }
    if (!reference) reference = screens.mainScreen();

    const double h = primaryHeight(screens);
    if (!reference) return {p.x, h - p.y};
    const double top = h - reference->maxY();
    return {p.x, reference->maxY() - (p.y - top)};
}

}  // namespace qm
