#include "platform/cairo/pango_text.h"

#include <cmath>

namespace qm::cairo {

TextLayout::TextLayout(cairo_t* cr, const std::string& text, const views::Font& font, std::optional<double> width)
    : layout_(pango_cairo_create_layout(cr)) {
    // Unhinted metrics, so that a text measures the same at every scale it is drawn at.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout_.get()), options);
    cairo_font_options_destroy(options);
    pango_layout_context_changed(layout_.get());
    // A condensed face comes closest to the system font's width.
    PangoFontDescription* description = pango_font_description_from_string("DejaVu Sans Condensed, Sans");
    pango_font_description_set_absolute_size(description, Layout::fontSize(font) * PANGO_SCALE);
    if (font.weight == views::FontWeight::semibold)
        pango_font_description_set_weight(description, PANGO_WEIGHT_SEMIBOLD);
    pango_layout_set_font_description(layout_.get(), description);
    pango_font_description_free(description);
    pango_layout_set_text(layout_.get(), text.c_str(), -1);
    if (width) {
        // Whole words wrap; a word longer than the line breaks between characters.
        pango_layout_set_width(layout_.get(), static_cast<int>(std::floor(*width * PANGO_SCALE)));
        pango_layout_set_wrap(layout_.get(), PANGO_WRAP_WORD_CHAR);
    }
    pango_layout_set_ellipsize(layout_.get(), PANGO_ELLIPSIZE_NONE);
}

Size TextLayout::size() const {
    PangoRectangle logical;
    pango_layout_get_extents(layout_.get(), nullptr, &logical);
    return {std::ceil(static_cast<double>(logical.width) / PANGO_SCALE),
            std::ceil(static_cast<double>(logical.height) / PANGO_SCALE)};
}

void TextLayout::show(cairo_t* cr) const {
    pango_cairo_show_layout(cr, layout_.get());
}

PangoTextMeasure::PangoTextMeasure()
    : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1)), cr_(cairo_create(surface_)) {}

PangoTextMeasure::~PangoTextMeasure() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

// A text as wide as its line or narrower lays out as it would without one.
Size PangoTextMeasure::measure(const std::string& text, const views::Font& font, std::optional<double> width) const {
    const Size natural = remembered(text, font, std::nullopt);
    if (!width || natural.width <= *width) return natural;
    Size size = remembered(text, font, width);
    size.width = std::min(size.width, *width);
    return size;
}

Size PangoTextMeasure::remembered(const std::string& text, const views::Font& font, std::optional<double> width) const {
    // Enough for every text of any page; a page that keeps changing its texts starts afresh now and then.
    constexpr std::size_t most = 100000;
    Key key{text, Layout::fontSize(font), font.weight, width.value_or(0)};
    if (const auto found = sizes_.find(key); found != sizes_.end()) return found->second;
    if (sizes_.size() >= most) sizes_.clear();
    const Size size = TextLayout(cr_, text, font, width).size();
    sizes_.emplace(std::move(key), size);
    return size;
}

std::size_t PangoTextMeasure::KeyHash::operator()(const Key& key) const {
    std::size_t hash = std::hash<std::string>()(key.text);
    for (const std::size_t part :
         {std::hash<double>()(key.size), std::hash<double>()(key.width), static_cast<std::size_t>(key.weight)})
        hash = hash * 31 + part;
    return hash;
}

}  // namespace qm::cairo
