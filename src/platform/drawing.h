#pragma once

#include <vector>

#include "platform/geometry.h"

// Colours, bezier paths and the drawing calls of a view.
namespace qm::platform {

struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 0;

    static Color white(double white, double alpha) { return {white, white, white, alpha}; }
    static Color clear() { return {}; }
    bool operator==(const Color&) const = default;
};

enum class LineCap { butt = 0, round = 1, square = 2 };
enum class LineJoin { miter = 0, round = 1, bevel = 2 };

class BezierPath {
public:
    struct Element {
        enum class Kind { oval, moveTo, lineTo } kind;
        Rect oval;    // for ovals
        Point point;  // for moves and lines
    };

    static BezierPath ovalInRect(const Rect& rect);
    void moveTo(Point p) { elements_.push_back({Element::Kind::moveTo, {}, p}); }
    void lineTo(Point p) { elements_.push_back({Element::Kind::lineTo, {}, p}); }
    void setLineWidth(double width) { lineWidth_ = width; }
    void setLineCapStyle(LineCap cap) { lineCap_ = cap; }
    void setLineJoinStyle(LineJoin join) { lineJoin_ = join; }

    const std::vector<Element>& elements() const { return elements_; }
    double lineWidth() const { return lineWidth_; }
    LineCap lineCap() const { return lineCap_; }
    LineJoin lineJoin() const { return lineJoin_; }

private:
    std::vector<Element> elements_;
    double lineWidth_ = 1.0;
    LineCap lineCap_ = LineCap::butt;
    LineJoin lineJoin_ = LineJoin::miter;
};

inline BezierPath BezierPath::ovalInRect(const Rect& rect) {
    BezierPath path;
    path.elements_.push_back({Element::Kind::oval, rect, {}});
    return path;
}

// The current graphics context of a view being drawn.
class Graphics {
public:
    virtual ~Graphics() = default;
    virtual void setFillColor(const Color& color) = 0;
    virtual void setStrokeColor(const Color& color) = 0;
    virtual void fill(const BezierPath& path) = 0;
    virtual void stroke(const BezierPath& path) = 0;
};

}  // namespace qm::platform
