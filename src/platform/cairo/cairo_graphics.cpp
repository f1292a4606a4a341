#include "platform/cairo/cairo_graphics.h"

#include <cmath>

namespace qm::cairo {

using platform::BezierPath;

CairoGraphics::CairoGraphics(cairo_t* cr, double viewHeight, bool flipped) : cr_(cr) {
    if (flipped) return;
    cairo_translate(cr_, 0, viewHeight);
    cairo_scale(cr_, 1, -1);
}

void CairoGraphics::setSource(const platform::Color& color) {
    cairo_set_source_rgba(cr_, color.red, color.green, color.blue, color.alpha);
}

void CairoGraphics::trace(const BezierPath& path) {
    cairo_new_path(cr_);
    for (const auto& element : path.elements()) {
        switch (element.kind) {
            case BezierPath::Element::Kind::oval: {
                const platform::Rect& r = element.oval;
                cairo_save(cr_);
                cairo_translate(cr_, r.x + r.width / 2, r.y + r.height / 2);
                cairo_scale(cr_, r.width / 2, r.height / 2);
                cairo_new_sub_path(cr_);
                cairo_arc(cr_, 0, 0, 1, 0, 2 * M_PI);
                cairo_close_path(cr_);
                cairo_restore(cr_);
                break;
            }
            case BezierPath::Element::Kind::moveTo: cairo_move_to(cr_, element.point.x, element.point.y); break;
            case BezierPath::Element::Kind::lineTo: cairo_line_to(cr_, element.point.x, element.point.y); break;
        }
    }
}

void CairoGraphics::fill(const BezierPath& path) {
    trace(path);
    setSource(fill_);
    cairo_fill(cr_);
}

void CairoGraphics::stroke(const BezierPath& path) {
    trace(path);
    setSource(stroke_);
    cairo_set_line_width(cr_, path.lineWidth());
    cairo_set_line_cap(cr_, path.lineCap() == platform::LineCap::round    ? CAIRO_LINE_CAP_ROUND
                            : path.lineCap() == platform::LineCap::square ? CAIRO_LINE_CAP_SQUARE
                                                                          : CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr_, path.lineJoin() == platform::LineJoin::round   ? CAIRO_LINE_JOIN_ROUND
                             : path.lineJoin() == platform::LineJoin::bevel ? CAIRO_LINE_JOIN_BEVEL
                                                                            : CAIRO_LINE_JOIN_MITER);
    cairo_stroke(cr_);
}

}  // namespace qm::cairo
