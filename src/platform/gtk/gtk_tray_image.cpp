#include "platform/gtk/gtk_tray_image.h"

#include <glib.h>

#include <cmath>
#include <numbers>

#include "platform/cairo/symbol_art.h"

namespace qm::gtk {

namespace {

constexpr double pixelsPerPoint = 2;
// The height of a Mac's menu bar, in points, to which the picture's size is measured.
constexpr double menuBarHeight = 22;

Surface readPNG(const std::string& path) {
    Surface surface(cairo_image_surface_create_from_png(path.c_str()));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    return surface;
}

// The shape in ink, or dark within a light outline a pixel or two wide.
void paintShape(cairo_t* cr, cairo_surface_t* shape, int width, const TrayInk& ink) {
    if (ink) {
        cairo_set_source_rgba(cr, ink->red, ink->green, ink->blue, ink->alpha);
        cairo_mask_surface(cr, shape, 0, 0);
        return;
    }
    const double outline = std::max(1.0, width / 18.0);
    constexpr int directions = 16;
    cairo_set_source_rgb(cr, 1, 1, 1);
    for (int i = 0; i < directions; ++i) {
        const double angle = 2 * std::numbers::pi * i / directions;
        cairo_mask_surface(cr, shape, outline * std::cos(angle), outline * std::sin(angle));
    }
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    cairo_mask_surface(cr, shape, 0, 0);
}

}  // namespace

GtkTrayImage::GtkTrayImage(Painter painter, std::string description, std::string symbolicFile)
    : painter_(std::move(painter)), description_(std::move(description)), symbolicFile_(std::move(symbolicFile)) {}

std::unique_ptr<GtkTrayImage> GtkTrayImage::fromResources(const std::string& directory, const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") return nullptr;
    const std::string base = directory + "/" + name;
    std::shared_ptr<cairo_surface_t> picture = readPNG(base + "@2x.png");
    if (!picture) picture = readPNG(base + ".png");
    if (!picture) return nullptr;
    auto paint = [picture](cairo_t* cr, double width, double height) {
        cairo_scale(cr, width / cairo_image_surface_get_width(picture.get()),
                    height / cairo_image_surface_get_height(picture.get()));
        cairo_set_source_surface(cr, picture.get(), 0, 0);
        cairo_paint(cr);
    };
    const std::string symbolic = base + "-symbolic.svg";
    return std::make_unique<GtkTrayImage>(paint, "",
                                          g_file_test(symbolic.c_str(), G_FILE_TEST_IS_REGULAR) ? symbolic : "");
}

std::unique_ptr<GtkTrayImage> GtkTrayImage::symbol(const std::string& name, const std::string& description) {
    auto paint = [name](cairo_t* cr, double width, double height) {
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo::drawSymbol(cr, name, {0, 0, width, height});
    };
    return std::make_unique<GtkTrayImage>(paint, description);
}

void GtkTrayImage::setTemplate(bool isTemplate) {
    template_ = isTemplate;
    if (onChange_) onChange_();
}

void GtkTrayImage::setSize(double width, double height) {
    width_ = width;
    height_ = height;
    if (onChange_) onChange_();
}

Surface GtkTrayImage::draw(int width, int height, const TrayInk& ink) const {
    Surface shape(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    cairo_t* cr = cairo_create(shape.get());
    painter_(cr, width, height);
    cairo_destroy(cr);
    if (!template_) return shape;
    Surface picture(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    cr = cairo_create(picture.get());
    paintShape(cr, shape.get(), width, ink);
    cairo_destroy(cr);
    return picture;
}

Surface GtkTrayImage::drawInPanel(int panelHeight, const TrayInk& ink) const {
    const double scale = panelHeight / menuBarHeight;
    const int width = std::max(1, static_cast<int>(std::lround(width_ * scale)));
    const int height = std::max(1, static_cast<int>(std::lround(height_ * scale)));
    const Surface picture = draw(width, height, ink);
    Surface square(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, panelHeight, panelHeight));
    cairo_t* cr = cairo_create(square.get());
    cairo_set_source_surface(cr, picture.get(), (panelHeight - width) / 2, (panelHeight - height) / 2);
    cairo_paint(cr);
    cairo_destroy(cr);
    return square;
}

bool GtkTrayImage::writePNG(const std::string& path, const TrayInk& ink) const {
    const int width = std::max(1, static_cast<int>(std::lround(width_ * pixelsPerPoint)));
    const int height = std::max(1, static_cast<int>(std::lround(height_ * pixelsPerPoint)));
    return cairo_surface_write_to_png(draw(width, height, ink).get(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace qm::gtk
