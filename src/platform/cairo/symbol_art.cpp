#include "platform/cairo/symbol_art.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

#include "platform/cairo/cairo_paths.h"
#include "platform/cairo/pango_text.h"

namespace qm::cairo {

namespace {

void polygon(cairo_t* cr, std::initializer_list<std::pair<double, double>> points) {
    bool first = true;
    for (const auto& [x, y] : points) {
        if (first)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
        first = false;
    }
    cairo_close_path(cr);
}

void centredText(cairo_t* cr, const std::string& text, double size) {
    TextLayout layout(cr, text, views::Font::system(size, views::FontWeight::semibold), std::nullopt);
    const Size s = layout.size();
    cairo_rel_move_to(cr, -s.width / 2, -s.height / 2);
    layout.show(cr);
}

// Each draws into the unit square (0,0)-(1,1), y down.
const std::map<std::string, std::function<void(cairo_t*)>>& pictograms() {
    static const std::map<std::string, std::function<void(cairo_t*)>> art{
        {"computermouse.fill",
         [](cairo_t* cr) {
             roundedRect(cr, {0.25, 0.05, 0.5, 0.9}, 0.25);
             cairo_fill(cr);
             cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
             cairo_rectangle(cr, 0.485, 0.05, 0.03, 0.35);
             cairo_fill(cr);
             cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
         }},
        {"lock.shield.fill",
         [](cairo_t* cr) {
             cairo_move_to(cr, 0.5, 0.03);
             cairo_curve_to(cr, 0.7, 0.14, 0.85, 0.15, 0.9, 0.15);
             cairo_curve_to(cr, 0.9, 0.6, 0.75, 0.85, 0.5, 0.97);
             cairo_curve_to(cr, 0.25, 0.85, 0.1, 0.6, 0.1, 0.15);
             cairo_curve_to(cr, 0.15, 0.15, 0.3, 0.14, 0.5, 0.03);
             cairo_fill(cr);
             cairo_set_source_rgb(cr, 1, 1, 1);
             roundedRect(cr, {0.36, 0.45, 0.28, 0.22}, 0.03);
             cairo_fill(cr);
             cairo_set_line_width(cr, 0.05);
             cairo_arc(cr, 0.5, 0.45, 0.09, M_PI, 2 * M_PI);
             cairo_stroke(cr);
         }},
        {"cursorarrow.click",
         [](cairo_t* cr) {
             polygon(cr,
                     {{0.35, 0.3}, {0.35, 0.95}, {0.5, 0.8}, {0.62, 0.98}, {0.7, 0.93}, {0.58, 0.76}, {0.78, 0.74}});
             cairo_fill(cr);
             cairo_set_line_width(cr, 0.06);
             cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
             for (const auto& [x, y] : {std::pair{0.35, 0.05}, {0.12, 0.15}, {0.58, 0.15}, {0.05, 0.35}}) {
                 cairo_move_to(cr, 0.35 + (x - 0.35) * 0.55, 0.3 + (y - 0.3) * 0.55);
                 cairo_line_to(cr, x, y);
             }
             cairo_stroke(cr);
         }},
        {"arrow.up.and.down.and.arrow.left.and.right",
         [](cairo_t* cr) {
             cairo_set_line_width(cr, 0.08);
             cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
             cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
             cairo_move_to(cr, 0.5, 0.08);
             cairo_line_to(cr, 0.5, 0.92);
             cairo_move_to(cr, 0.08, 0.5);
             cairo_line_to(cr, 0.92, 0.5);
             for (const auto& [a, b, c] :
                  {std::tuple{std::pair{0.35, 0.22}, std::pair{0.5, 0.08}, std::pair{0.65, 0.22}},
                   {{0.35, 0.78}, {0.5, 0.92}, {0.65, 0.78}},
                   {{0.22, 0.35}, {0.08, 0.5}, {0.22, 0.65}},
                   {{0.78, 0.35}, {0.92, 0.5}, {0.78, 0.65}}}) {
                 cairo_move_to(cr, a.first, a.second);
                 cairo_line_to(cr, b.first, b.second);
                 cairo_line_to(cr, c.first, c.second);
             }
             cairo_stroke(cr);
         }},
        {"escape",
         [](cairo_t* cr) {
             cairo_set_line_width(cr, 0.06);
             roundedRect(cr, {0.08, 0.2, 0.84, 0.6}, 0.12);
             cairo_stroke(cr);
             cairo_move_to(cr, 0.5, 0.5);
             cairo_save(cr);
             cairo_scale(cr, 0.01, 0.01);
             centredText(cr, "esc", 30);
             cairo_restore(cr);
         }},
        {"hand.raised.fill",
         [](cairo_t* cr) {
             roundedRect(cr, {0.25, 0.45, 0.5, 0.5}, 0.15);
             cairo_fill(cr);
             for (double x : {0.27, 0.39, 0.51, 0.63}) {
                 roundedRect(cr, {x, 0.1 + (x == 0.27 || x == 0.63 ? 0.08 : 0), 0.1, 0.5}, 0.05);
                 cairo_fill(cr);
             }
             roundedRect(cr, {0.1, 0.45, 0.1, 0.3}, 0.05);
             cairo_fill(cr);
         }},
        {"shift.fill",
         [](cairo_t* cr) {
             polygon(cr, {{0.5, 0.08}, {0.92, 0.52}, {0.7, 0.52}, {0.7, 0.9}, {0.3, 0.9}, {0.3, 0.52}, {0.08, 0.52}});
             cairo_fill(cr);
         }},
        {"exclamationmark.triangle.fill",
         [](cairo_t* cr) {
             polygon(cr, {{0.5, 0.06}, {0.96, 0.9}, {0.04, 0.9}});
             cairo_fill(cr);
             cairo_set_source_rgb(cr, 1, 1, 1);
             roundedRect(cr, {0.46, 0.33, 0.08, 0.32}, 0.03);
             cairo_fill(cr);
             cairo_arc(cr, 0.5, 0.76, 0.05, 0, 2 * M_PI);
             cairo_fill(cr);
         }},
    };
    return art;
}

}  // namespace

void drawSymbol(cairo_t* cr, const std::string& name, const platform::Rect& box) {
    const double side = std::min(box.width, box.height);
    cairo_save(cr);
    cairo_translate(cr, box.x + (box.width - side) / 2, box.y + (box.height - side) / 2);
    cairo_scale(cr, side, side);
    if (const auto it = pictograms().find(name); it != pictograms().end()) {
        it->second(cr);
    } else {
        cairo_set_line_width(cr, 0.06);
        roundedRect(cr, {0.1, 0.1, 0.8, 0.8}, 0.15);
        cairo_stroke(cr);
        cairo_move_to(cr, 0.5, 0.5);
        cairo_scale(cr, 0.01, 0.01);
        centredText(cr, name.substr(0, 1), 50);
    }
    cairo_restore(cr);
}

}  // namespace qm::cairo
