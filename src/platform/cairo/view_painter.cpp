#include "platform/cairo/view_painter.h"

#include <cairo.h>

#include <cmath>

#include "platform/cairo/cairo_paths.h"
#include "platform/cairo/pango_text.h"
#include "platform/cairo/symbol_art.h"

namespace qm::cairo {

using views::Node;
using views::SemanticColor;

namespace {

struct Rgba {
    double r, g, b, a;
};

// The system's light appearance, closely enough.
Rgba colorOf(const views::ShapeStyle& style, double opacity) {
    Rgba c{0, 0, 0, 0.85};
    switch (style.color) {
        case SemanticColor::primary: c = {0, 0, 0, 0.85}; break;
        case SemanticColor::secondary: c = {0, 0, 0, 0.5}; break;
        case SemanticColor::accent:
        case SemanticColor::tint: c = {0.0, 0.48, 1.0, 1}; break;
        case SemanticColor::orange: c = {1.0, 0.58, 0.0, 1}; break;
        case SemanticColor::windowBackground: c = {0.925, 0.925, 0.925, 1}; break;
    }
    c.a *= style.opacity * opacity;
    return c;
}

void setColor(cairo_t* cr, const Rgba& c) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
}

void text(cairo_t* cr, const std::string& string, const views::Font& font, const platform::Rect& box, const Rgba& c) {
    setColor(cr, c);
    cairo_move_to(cr, box.x, box.y);
    TextLayout(cr, string, font, box.width).show(cr);
}

void button(cairo_t* cr, const Placed& placed) {
    const Node& node = *placed.node;
    const bool isDefault = placed.environment.isDefaultButton;
    roundedRect(cr, placed.frame, 6);
    if (isDefault)
        setColor(cr, {0.0, 0.48, 1.0, 1});
    else
        setColor(cr, {1, 1, 1, 1});
    cairo_fill_preserve(cr);
    setColor(cr, {0, 0, 0, isDefault ? 0.0 : 0.18});
    cairo_set_line_width(cr, 0.75);
    cairo_stroke(cr);
    TextLayout title(cr, node.text, views::Font::system(13), std::nullopt);
    const Size s = title.size();
    // A title too long for its button is cut at the bezel.
    cairo_save(cr);
    roundedRect(cr, placed.frame, 6);
    cairo_clip(cr);
    setColor(cr, isDefault ? Rgba{1, 1, 1, 1} : Rgba{0, 0, 0, 0.85});
    cairo_move_to(cr, placed.frame.x + (placed.frame.width - s.width) / 2,
                  placed.frame.y + (placed.frame.height - s.height) / 2);
    title.show(cr);
    cairo_restore(cr);
}

void paint(cairo_t* cr, const Placed& placed) {
    const Node& node = *placed.node;
    const Environment& env = placed.environment;
    const platform::Rect& f = placed.frame;
    const Rgba foreground = colorOf(env.foreground, env.opacity);
    switch (node.kind) {
        case Node::Kind::text: text(cr, node.text, env.font, f, foreground); break;
        case Node::Kind::image:
            setColor(cr, foreground);
            drawSymbol(cr, node.text, f);
            break;
        case Node::Kind::label: {
            const double icon = Layout::fontSize(env.font);
            setColor(cr, foreground);
            drawSymbol(cr, node.symbol, {f.x, f.y + 1, icon, icon});
            text(cr, node.text, env.font, {f.x + icon + 6, f.y, std::max(0.0, f.width - icon - 6), f.height},
                 foreground);
            break;
        }
        case Node::Kind::button: button(cr, placed); break;
        case Node::Kind::divider:
            setColor(cr, {0, 0, 0, 0.1});
            cairo_rectangle(cr, f.x, f.y, f.width, f.height);
            cairo_fill(cr);
            break;
        case Node::Kind::circle:
            setColor(cr, colorOf(env.fill.value_or(env.foreground), env.opacity));
            cairo_arc(cr, f.x + f.width / 2, f.y + f.height / 2, std::min(f.width, f.height) / 2, 0, 2 * M_PI);
            cairo_fill(cr);
            break;
        case Node::Kind::roundedRectangle:
            setColor(cr, colorOf(env.fill.value_or(env.foreground), env.opacity));
            roundedRect(cr, f, node.cornerRadius);
            cairo_fill(cr);
            break;
        default: break;
    }
    for (const Placed& child : placed.children) paint(cr, child);
}

}  // namespace

void paintPage(cairo_t* cr, const Placed& page) {
    setColor(cr, colorOf({SemanticColor::windowBackground}, 1));
    cairo_paint(cr);
    paint(cr, page);
}

std::string writePagePicture(const std::string& path, const views::Node& tree, Size page, double scale) {
    const PangoTextMeasure measure;
    const Placed placed = Layout(measure).place(tree, page);
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(std::ceil(page.width * scale)),
                                   static_cast<int>(std::ceil(page.height * scale)));
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, scale, scale);
    paintPage(cr, placed);
    cairo_surface_flush(surface);
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    if (status == CAIRO_STATUS_SUCCESS) return {};
    return "cannot write " + path + ": " + cairo_status_to_string(status);
}

}  // namespace qm::cairo
