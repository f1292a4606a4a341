#pragma once

#include <cairo.h>

#include "platform/drawing.h"

namespace qm::cairo {

// The drawing calls of a view, carried out with cairo. A view that is not
// flipped has y growing upwards, so its height is needed to turn it over.
class CairoGraphics : public platform::Graphics {
public:
    CairoGraphics(cairo_t* cr, double viewHeight, bool flipped);

    void setFillColor(const platform::Color& color) override { fill_ = color; }
    void setStrokeColor(const platform::Color& color) override { stroke_ = color; }
    void fill(const platform::BezierPath& path) override;
    void stroke(const platform::BezierPath& path) override;

private:
    void trace(const platform::BezierPath& path);
    void setSource(const platform::Color& color);

    cairo_t* cr_;
    platform::Color fill_ = platform::Color::white(0, 1);
    platform::Color stroke_ = platform::Color::white(0, 1);
};

}  // namespace qm::cairo
