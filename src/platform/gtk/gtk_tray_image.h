#pragma once

#include <cairo.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/menus.h"

namespace qm::gtk {

// A picture for the status item: one from the program's resources, or a
// symbol drawn with cairo. A template image is drawn in the desktop theme's
// text colour, as the menu bar draws one on a Mac.
class GtkTrayImage : public platform::Image {
public:
    // Draws the picture to fill a width × height box of cr.
    using Painter = std::function<void(cairo_t* cr, double width, double height)>;

    GtkTrayImage(Painter painter, std::string description);

    // NAME.png of directory, and NAME@2x.png beside it for sharper pixels;
    // nothing when the name is not a plain file name or the picture cannot be read.
    static std::unique_ptr<GtkTrayImage> fromResources(const std::string& directory, const std::string& name);
    static std::unique_ptr<GtkTrayImage> symbol(const std::string& name, const std::string& description);

    void setTemplate(bool isTemplate) override;
    void setSize(double width, double height) override;

    // Writes the picture at twice its size in points, so that it stays sharp
    // where the tray draws it larger; false when it cannot.
    bool writePNG(const std::string& path) const;
    // What a screen reader says for it; empty for a picture of the resources.
    const std::string& description() const { return description_; }
    // Told when the template flag or the size change.
    void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

private:
    Painter painter_;
    std::string description_;
    bool template_ = false;
    double width_ = 18;
    double height_ = 18;
    std::function<void()> onChange_;
};

}  // namespace qm::gtk
