#pragma once

#include <cairo.h>
#include <pango/pangocairo.h>

#include <memory>
#include <string>

#include "platform/cairo/view_layout.h"

namespace qm::cairo {

// A pango layout of one text in a view font, wrapped at word boundaries to
// a width when one is given, never shortened.
class TextLayout {
public:
    TextLayout(cairo_t* cr, const std::string& text, const views::Font& font, std::optional<double> width);
    Size size() const;
    // Draws it with its top-left corner at the current point.
    void show(cairo_t* cr) const;

private:
    struct Release {
        void operator()(PangoLayout* layout) const { g_object_unref(layout); }
    };
    std::unique_ptr<PangoLayout, Release> layout_;
};

// Measures with pango on a scratch surface of its own.
class PangoTextMeasure : public TextMeasure {
public:
    PangoTextMeasure();
    ~PangoTextMeasure() override;
    Size measure(const std::string& text, const views::Font& font, std::optional<double> width) const override;

private:
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

}  // namespace qm::cairo
