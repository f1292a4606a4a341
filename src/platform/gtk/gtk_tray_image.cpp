#include "platform/gtk/gtk_tray_image.h"

#include <gtk/gtk.h>

#include <cmath>

#include "platform/cairo/symbol_art.h"

namespace qm::gtk {

namespace {

constexpr double pixelsPerPoint = 2;

struct SurfaceDestroy {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDestroy>;

Surface readPNG(const std::string& path) {
    Surface surface(cairo_image_surface_create_from_png(path.c_str()));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    return surface;
}

// The colour of text on the theme's menu bar, the nearest thing to a panel GTK knows of.
GdkRGBA themeTextColor() {
    GtkWidgetPath* path = gtk_widget_path_new();
    gtk_widget_path_append_type(path, GTK_TYPE_MENU_BAR);
    gtk_widget_path_iter_set_object_name(path, -1, "menubar");
    GtkStyleContext* style = gtk_style_context_new();
    gtk_style_context_set_path(style, path);
    GdkRGBA color{};
    gtk_style_context_get_color(style, GTK_STATE_FLAG_NORMAL, &color);
    g_object_unref(style);
    gtk_widget_path_unref(path);
    return color;
}

}  // namespace

GtkTrayImage::GtkTrayImage(Painter painter, std::string description)
    : painter_(std::move(painter)), description_(std::move(description)) {}

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
    return std::make_unique<GtkTrayImage>(paint, "");
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

bool GtkTrayImage::writePNG(const std::string& path) const {
    const int width = std::max(1, static_cast<int>(std::lround(width_ * pixelsPerPoint)));
    const int height = std::max(1, static_cast<int>(std::lround(height_ * pixelsPerPoint)));
    const Surface picture(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    cairo_t* cr = cairo_create(picture.get());
    painter_(cr, width, height);
    if (template_) {
        // Only the picture's shape is kept, filled with the theme's colour.
        const GdkRGBA color = themeTextColor();
        cairo_set_operator(cr, CAIRO_OPERATOR_IN);
        cairo_identity_matrix(cr);
        cairo_set_source_rgba(cr, color.red, color.green, color.blue, color.alpha);
        cairo_paint(cr);
    }
    cairo_destroy(cr);
    return cairo_surface_write_to_png(picture.get(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace qm::gtk
