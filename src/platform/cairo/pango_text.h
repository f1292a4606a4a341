#pragma once

#include <cairo.h>
#include <pango/pangocairo.h>

#include <memory>
#include <string>
#include <unordered_map>

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

// Measures with pango on a scratch surface of its own. What it measured once
// it remembers, so that laying a page out again costs a look-up per text: a
// list of thousands of rows is measured once, not at every change.
class PangoTextMeasure : public TextMeasure {
public:
    PangoTextMeasure();
    ~PangoTextMeasure() override;
    PangoTextMeasure(const PangoTextMeasure&) = delete;
    PangoTextMeasure& operator=(const PangoTextMeasure&) = delete;
    Size measure(const std::string& text, const views::Font& font, std::optional<double> width) const override;

private:
    Size remembered(const std::string& text, const views::Font& font, std::optional<double> width) const;

    cairo_surface_t* surface_;
    cairo_t* cr_;
    struct Key {
        std::string text;
        double size;
        views::FontWeight weight;
        double width;  // 0 for none
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const;
    };
    mutable std::unordered_map<Key, Size, KeyHash> sizes_;
};

}  // namespace qm::cairo
