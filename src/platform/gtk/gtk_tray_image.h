#pragma once

#include <cairo.h>
#include <gdk/gdk.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/menus.h"

namespace qm::gtk {

struct SurfaceDestroy {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDestroy>;

// The colour a template picture is drawn in, as the panel asks for it; with
// none, the picture is drawn dark with a light outline, which shows on light
// and dark panels alike.
using TrayInk = std::optional<GdkRGBA>;

// A picture for the status item: one from the program's resources, or a
// symbol drawn with cairo. A template image is only a shape, coloured for the
// panel as the menu bar colours one on a Mac; a resource may come with a
// symbolic icon of the same shape, which panels that recolour icons colour
// themselves.
class GtkTrayImage : public platform::Image {
public:
    // Draws the picture to fill a width × height box of cr.
    using Painter = std::function<void(cairo_t* cr, double width, double height)>;

    GtkTrayImage(Painter painter, std::string description, std::string symbolicFile = "");

    // NAME.png of directory, and NAME@2x.png beside it for sharper pixels,
    // with NAME-symbolic.svg as its symbolic icon when there is one; nothing
    // when the name is not a plain file name or the picture cannot be read.
    static std::unique_ptr<GtkTrayImage> fromResources(const std::string& directory, const std::string& name);
    static std::unique_ptr<GtkTrayImage> symbol(const std::string& name, const std::string& description);

    void setTemplate(bool isTemplate) override;
    void setSize(double width, double height) override;

    // The picture in pixels of that size.
    Surface draw(int width, int height, const TrayInk& ink) const;
    // The picture centred in a square as high as a panel, as large as a menu
    // bar of that height would show it.
    Surface drawInPanel(int panelHeight, const TrayInk& ink) const;
    // Writes the picture at twice its size in points, so that it stays sharp
    // where the tray draws it larger; false when it cannot.
    bool writePNG(const std::string& path, const TrayInk& ink) const;
    // The symbolic icon that stands for a template picture; empty when there is none.
    std::string symbolicFile() const { return template_ ? symbolicFile_ : std::string(); }
    // What a screen reader says for it; empty for a picture of the resources.
    const std::string& description() const { return description_; }
    // Told when the template flag or the size change.
    void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

private:
    Painter painter_;
    std::string description_;
    std::string symbolicFile_;
    bool template_ = false;
    double width_ = 18;
    double height_ = 18;
    std::function<void()> onChange_;
};

}  // namespace qm::gtk
