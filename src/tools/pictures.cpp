#include "tools/pictures.h"

#include <cairo.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>

#include "overlay/anchor_marker.h"
#include "overlay/marker_view.h"
#include "platform/cairo/cairo_graphics.h"
#include "platform/cairo/cairo_paths.h"
#include "platform/cairo/pango_text.h"

namespace qm::tools {

using cairo::CairoGraphics;
using cairo::Size;
using cairo::TextLayout;
namespace views = platform::views;

namespace {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

std::string save(cairo_surface_t* surface, const std::string& path) {
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    if (status == CAIRO_STATUS_SUCCESS) return {};
    return "cannot write " + path + ": " + cairo_status_to_string(status);
}

// One line of text whose left edge (or centre) is at x and whose middle is at y.
void text(cairo_t* cr, const std::string& string, double x, double y, double size, bool centred = false,
          views::FontWeight weight = views::FontWeight::regular) {
    const TextLayout layout(cr, string, views::Font::system(size, weight), std::nullopt);
    const Size s = layout.size();
    cairo_move_to(cr, centred ? x - s.width / 2 : x, y - s.height / 2);
    layout.show(cr);
}

struct PlotArea {
    double left, top, width, height;
    double maxSeconds, maxAmount;
    double x(double seconds) const { return left + width * seconds / maxSeconds; }
    double y(double amount) const { return top + height / 2 - (height / 2) * amount / maxAmount; }
};

void drawAxes(cairo_t* cr, const PlotArea& area) {
    cairo_set_source_rgb(cr, 0.35, 0.35, 0.35);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, area.left, area.top, area.width, area.height);
    cairo_move_to(cr, area.left, area.y(0));
    cairo_line_to(cr, area.left + area.width, area.y(0));
    cairo_stroke(cr);
    for (double amount : {-area.maxAmount, 0.0, area.maxAmount})
        text(cr, std::to_string(static_cast<int>(amount)), area.left - 44, area.y(amount), 12);
    const int step = std::max(1, static_cast<int>(std::ceil(area.maxSeconds / 10)));
    for (int s = 0; s <= area.maxSeconds; s += step)
        text(cr, std::to_string(s) + " s", area.x(s), area.top + area.height + 14, 12, true);
}

void drawSeries(cairo_t* cr, const PlotArea& area, const std::vector<ScrollSample>& samples, bool vertical) {
    if (vertical)
        cairo_set_source_rgb(cr, 0.13, 0.42, 0.80);
    else
        cairo_set_source_rgb(cr, 0.90, 0.45, 0.10);
    cairo_set_line_width(cr, 1.5);
    for (const ScrollSample& s : samples) {
        const int amount = vertical ? s.wheel1 : s.wheel2;
        if (amount == 0) continue;
        cairo_move_to(cr, area.x(s.seconds), area.y(0));
        cairo_line_to(cr, area.x(s.seconds), area.y(amount));
    }
    cairo_stroke(cr);
}

// The width of a line of text in the picture's font.
double textWidth(cairo_t* cr, const std::string& string, double size) {
    return TextLayout(cr, string, views::Font::system(size), std::nullopt).size().width;
}

void drawStretches(cairo_t* cr, const PlotArea& area, const std::vector<PlotStretch>& stretches) {
    for (const PlotStretch& stretch : stretches) {
        const double left = area.x(stretch.from), right = area.x(stretch.to);
        cairo_set_source_rgb(cr, 0.93, 0.95, 0.98);
        cairo_rectangle(cr, left, area.top, std::max(right - left, 1.0), area.height);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 0.30, 0.30, 0.30);
        // A label over a stretch at an edge of the plot stays inside it.
        const double half = textWidth(cr, stretch.label, 12) / 2;
        const double centre = std::clamp((left + right) / 2, area.left + half, area.left + area.width - half);
        text(cr, stretch.label, centre, area.top + 12, 12, true);
    }
}

// A key equivalent as a menu shows it: the Command sign and the key, letters in capitals.
std::string shortcut(const std::string& key) {
    std::string shown = "⌘";
    for (const char c : key) shown += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return shown;
}

}  // namespace

std::string writeMarkerPicture(const std::string& path, double scale) {
    const double margin = AnchorMarker::size * 0.25;
    const int side = static_cast<int>(std::ceil((AnchorMarker::size + 2 * margin) * scale));
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side));
    Context cr(cairo_create(surface.get()));
    cairo_set_source_rgb(cr.get(), 0.80, 0.83, 0.87);  // a desktop-like backdrop
    cairo_paint(cr.get());
    cairo_scale(cr.get(), scale, scale);
    cairo_translate(cr.get(), margin, margin);

    MarkerView view({0, 0, AnchorMarker::size, AnchorMarker::size});
    CairoGraphics graphics(cr.get(), view.bounds().height, view.isFlipped());
    view.draw(graphics, view.bounds());
    cairo_surface_flush(surface.get());
    return save(surface.get(), path);
}

std::string writeScrollPlot(const std::string& path, const std::vector<ScrollSample>& samples,
                            const std::vector<PlotStretch>& stretches) {
    constexpr int width = 960, height = 420;
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    Context cr(cairo_create(surface.get()));
    cairo_set_source_rgb(cr.get(), 1, 1, 1);
    cairo_paint(cr.get());

    double maxSeconds = 1, maxAmount = 10;
    for (const ScrollSample& s : samples) {
        maxSeconds = std::max(maxSeconds, std::ceil(s.seconds));
        maxAmount = std::max({maxAmount, std::fabs(double(s.wheel1)), std::fabs(double(s.wheel2))});
    }
    const PlotArea area{70, 50, width - 100.0, height - 110.0, maxSeconds, std::ceil(maxAmount / 50) * 50};
    cairo_set_source_rgb(cr.get(), 0.1, 0.1, 0.1);
    text(cr.get(), "Wheel amounts of each posted scroll event, in pixels", area.left, 24, 15, false,
         views::FontWeight::semibold);
    drawStretches(cr.get(), area, stretches);
    drawAxes(cr.get(), area);
    drawSeries(cr.get(), area, samples, true);
    drawSeries(cr.get(), area, samples, false);
    cairo_set_source_rgb(cr.get(), 0.13, 0.42, 0.80);
    text(cr.get(), "wheel 1 (vertical)", area.left, height - 22, 13);
    cairo_set_source_rgb(cr.get(), 0.90, 0.45, 0.10);
    text(cr.get(), "wheel 2 (horizontal)", area.left + 180, height - 22, 13);
    cairo_surface_flush(surface.get());
    return save(surface.get(), path);
}

}  // namespace qm::tools

namespace qm::tools {

std::string writeMenuPicture(const std::string& path, const sim::SimMenu& menu) {
    constexpr double scale = 2, fontSize = 13, rowHeight = 22, separatorHeight = 11, inset = 6;
    constexpr double checkColumn = 22, keyGap = 32;

    // Measure on a scratch surface first: the menu is as wide as its longest row.
    Surface scratch(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
    Context measure(cairo_create(scratch.get()));
    double titleWidth = 0, keyWidth = 0, height = 2 * inset;
    for (const auto& item : menu.items()) {
        height += item->isSeparator() ? separatorHeight : rowHeight;
        titleWidth = std::max(titleWidth, textWidth(measure.get(), item->title(), fontSize));
        if (!item->keyEquivalent().empty())
            keyWidth = std::max(keyWidth, textWidth(measure.get(), shortcut(item->keyEquivalent()), fontSize));
    }
    const double width = checkColumn + titleWidth + keyGap + keyWidth + 2 * inset + 12;

    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(std::ceil((width + 20) * scale)),
                                               static_cast<int>(std::ceil((height + 20) * scale))));
    Context cr(cairo_create(surface.get()));
    cairo_scale(cr.get(), scale, scale);
    cairo_set_source_rgb(cr.get(), 0.80, 0.83, 0.87);
    cairo_paint(cr.get());
    cairo_translate(cr.get(), 10, 10);
    cairo::roundedRect(cr.get(), {0, 0, width, height}, 7);
    cairo_set_source_rgba(cr.get(), 0.97, 0.97, 0.97, 0.98);
    cairo_fill_preserve(cr.get());
    cairo_set_source_rgba(cr.get(), 0, 0, 0, 0.25);
    cairo_set_line_width(cr.get(), 0.5);
    cairo_stroke(cr.get());

    double y = inset;
    for (const auto& item : menu.items()) {
        if (item->isSeparator()) {
            cairo_set_source_rgba(cr.get(), 0, 0, 0, 0.12);
            cairo_rectangle(cr.get(), inset + 8, y + separatorHeight / 2, width - 2 * inset - 16, 1);
            cairo_fill(cr.get());
            y += separatorHeight;
            continue;
        }
        const double grey = item->isEnabled() ? 0.1 : 0.6;
        cairo_set_source_rgb(cr.get(), grey, grey, grey);
        const double middle = y + rowHeight / 2;
        if (item->state() == platform::ControlState::on) text(cr.get(), "✓", inset + 6, middle, fontSize);
        text(cr.get(), item->title(), inset + checkColumn, middle, fontSize);
        if (!item->keyEquivalent().empty())
            text(cr.get(), shortcut(item->keyEquivalent()), width - inset - 10 - keyWidth, middle, fontSize);
        y += rowHeight;
    }
    cairo_surface_flush(surface.get());
    return save(surface.get(), path);
}

}  // namespace qm::tools
