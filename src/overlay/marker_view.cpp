#include "overlay/marker_view.h"

#include <algorithm>

namespace qm {

using platform::BezierPath;
using platform::Color;
using platform::Point;
using platform::Rect;

namespace {

const Color ink = Color::white(0.15, 0.95);
const Color disc = Color::white(1.0, 0.92);
const Color ring = Color::white(0.22, 0.95);

BezierPath arrowHead(Point from, Point tip, Point to, double lineWidth) {
    BezierPath path;
    path.moveTo(from);
    path.lineTo(tip);
    path.lineTo(to);
    path.setLineWidth(lineWidth);
    path.setLineCapStyle(platform::LineCap::round);
    path.setLineJoinStyle(platform::LineJoin::round);
    return path;
}

}  // namespace

void MarkerView::draw(platform::Graphics& graphics, const Rect& /*dirty*/) {
    const double w = bounds().width;
    const double c = w * 0.5;
    const double inset = w * 0.075;
    const double ringWidth = std::max(w * 0.045, 1.2);
    const double a = w * 0.13;
    const double b = w * 0.21;
    const double t = w * 0.34;
    const double arrowWidth = std::max(w * 0.05, 1.6);
    const double r = std::max(w * 0.06, 1.6);

    const Rect bb = bounds();
    BezierPath oval = BezierPath::ovalInRect({bb.x + inset, bb.y + inset, bb.width - 2 * inset, bb.height - 2 * inset});
    graphics.setFillColor(disc);
    graphics.fill(oval);
    graphics.setStrokeColor(ring);
    oval.setLineWidth(ringWidth);
    graphics.stroke(oval);

    graphics.setStrokeColor(ink);
    graphics.stroke(arrowHead({c - a, c + b}, {c, c + t}, {c + a, c + b}, arrowWidth));  // up
    graphics.stroke(arrowHead({c - a, c - b}, {c, c - t}, {c + a, c - b}, arrowWidth));  // down
    graphics.stroke(arrowHead({c + b, c - a}, {c + t, c}, {c + b, c + a}, arrowWidth));  // right
    graphics.stroke(arrowHead({c - b, c - a}, {c - t, c}, {c - b, c + a}, arrowWidth));  // left

    graphics.setFillColor(ink);
    graphics.fill(BezierPath::ovalInRect({c - r, c - r, 2 * r, 2 * r}));
}

}  // namespace qm
