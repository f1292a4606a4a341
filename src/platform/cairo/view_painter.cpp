#include "platform/cairo/view_painter.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <string>

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

constexpr Rgba accent{0.0, 0.48, 1.0, 1};
constexpr double knob = 8;  // the slider knob's radius
constexpr Rgba hairline{0, 0, 0, 0.18};

void slider(cairo_t* cr, const Placed& placed) {
    const Node& node = *placed.node;
    const platform::Rect& f = placed.frame;
    constexpr double trackTop = 8;
    const auto [left, width] = sliderTrack(f);
    const double x = left + width * views::trackFraction(node.range, node.value);
    setColor(cr, {0, 0, 0, 0.12});
    roundedRect(cr, {left, f.y + trackTop, width, 4}, 2);
    cairo_fill(cr);
    setColor(cr, accent);
    roundedRect(cr, {left, f.y + trackTop, x - left, 4}, 2);
    cairo_fill(cr);
    setColor(cr, {0, 0, 0, 0.35});
    for (int mark = 0; mark < node.range.tickMarks && node.range.tickMarks > 1; ++mark) {
        const double at = left + width * mark / (node.range.tickMarks - 1);
        cairo_rectangle(cr, at - 0.5, f.y + 2 * knob + 2, 1, 5);
        cairo_fill(cr);
    }
    cairo_arc(cr, x, f.y + trackTop + 2, knob, 0, 2 * M_PI);
    setColor(cr, {1, 1, 1, 1});
    cairo_fill_preserve(cr);
    setColor(cr, {0, 0, 0, 0.3});
    cairo_set_line_width(cr, 0.75);
    cairo_stroke(cr);
}

void checkbox(cairo_t* cr, const Placed& placed) {
    const platform::Rect& f = placed.frame;
    constexpr double side = 14;
    const platform::Rect box{f.x, f.y + (f.height - side) / 2, side, side};
    const bool on = placed.node->value != 0;
    roundedRect(cr, box, 3);
    setColor(cr, on ? accent : Rgba{1, 1, 1, 1});
    cairo_fill_preserve(cr);
    setColor(cr, on ? Rgba{0, 0, 0, 0} : hairline);
    cairo_set_line_width(cr, 0.75);
    cairo_stroke(cr);
    if (on) {
        setColor(cr, {1, 1, 1, 1});
        cairo_set_line_width(cr, 1.8);
        cairo_move_to(cr, box.x + 3.5, box.y + 7.5);
        cairo_line_to(cr, box.x + 6, box.y + 10.5);
        cairo_line_to(cr, box.x + 10.5, box.y + 3.5);
        cairo_stroke(cr);
    }
    const Size title = TextLayout(cr, placed.node->text, placed.environment.font, std::nullopt).size();
    text(cr, placed.node->text, placed.environment.font,
         {f.x + side + 6, f.y + (f.height - title.height) / 2, std::max(0.0, f.width - side - 6), f.height},
         colorOf(placed.environment.foreground, placed.environment.opacity));
}

void popUp(cairo_t* cr, const Placed& placed) {
    const Node& node = *placed.node;
    const platform::Rect& f = placed.frame;
    roundedRect(cr, f, 6);
    setColor(cr, {1, 1, 1, 1});
    cairo_fill_preserve(cr);
    setColor(cr, hairline);
    cairo_set_line_width(cr, 0.75);
    cairo_stroke(cr);
    std::string title;
    for (const auto& option : node.options)
        if (option.tag == node.value) title = option.title;
    TextLayout layout(cr, title, views::Font::system(13), std::nullopt);
    cairo_save(cr);
    cairo_rectangle(cr, f.x, f.y, std::max(0.0, f.width - 24), f.height);
    cairo_clip(cr);
    setColor(cr, {0, 0, 0, 0.85});
    cairo_move_to(cr, f.x + 10, f.y + (f.height - layout.size().height) / 2);
    layout.show(cr);
    cairo_restore(cr);
    // The up and down arrows of a pop-up button.
    const double cx = f.x + f.width - 13, cy = f.y + f.height / 2;
    setColor(cr, {0, 0, 0, 0.6});
    for (const double direction : {-1.0, 1.0}) {
        cairo_move_to(cr, cx - 3.5, cy + direction * 2);
        cairo_line_to(cr, cx, cy + direction * 5.5);
        cairo_line_to(cr, cx + 3.5, cy + direction * 2);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
}

void paint(cairo_t* cr, const Placed& placed);

// A lazy row keeps what does not fit its height, a name wrapped over lines, to
// its band: its frame and up to halfway across the insets to the next rows.
void paintRow(cairo_t* cr, const Placed& row, double halfGap) {
    if (!row.built) return paint(cr, row);
    cairo_save(cr);
    cairo_rectangle(cr, row.frame.x - halfGap, row.frame.y - halfGap, row.frame.width + 2 * halfGap,
                    row.frame.height + 2 * halfGap);
    cairo_clip(cr);
    paint(cr, row);
    cairo_restore(cr);
}

// The rows on a white ground, those beyond the frame scrolled out of sight.
void list(cairo_t* cr, const Placed& placed) {
    const platform::Rect& f = placed.frame;
    cairo_rectangle(cr, f.x, f.y, f.width, f.height);
    setColor(cr, {1, 1, 1, 1});
    cairo_fill(cr);
    cairo_save(cr);
    cairo_rectangle(cr, f.x, f.y, f.width, f.height);
    cairo_clip(cr);
    const auto& rows = placed.children;
    const double halfGap = rows.size() > 1 ? std::max(0.0, rows[1].frame.y - rows[0].frame.maxY()) / 2 : 0;
    for (std::size_t i = 0; i < placed.children.size(); ++i) {
        // Only the rows in sight are drawn, however long the list.
        const platform::Rect& row = placed.children[i].frame;
        if (row.maxY() < f.y || row.y > f.maxY()) continue;
        paintRow(cr, placed.children[i], halfGap);
        if (i == 0) continue;
        // A line between two rows, halfway across the gap their insets leave.
        const double y = (placed.children[i - 1].frame.maxY() + placed.children[i].frame.y) / 2;
        setColor(cr, {0, 0, 0, 0.07});
        cairo_rectangle(cr, f.x + 8, std::round(y), f.width - 16, 1);
        cairo_fill(cr);
    }
    cairo_restore(cr);
    setColor(cr, hairline);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, f.x + 0.5, f.y + 0.5, f.width - 1, f.height - 1);
    cairo_stroke(cr);
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
        case Node::Kind::slider: slider(cr, placed); break;
        case Node::Kind::toggle: checkbox(cr, placed); break;
        case Node::Kind::picker: popUp(cr, placed); break;
        case Node::Kind::list: return list(cr, placed);
        default: break;
    }
    for (const Placed& child : placed.children) paint(cr, child);
}

}  // namespace

SliderTrack sliderTrack(const platform::Rect& frame) {
    return {frame.x + knob, std::max(0.0, frame.width - 2 * knob)};
}

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
