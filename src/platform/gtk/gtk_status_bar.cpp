#include "platform/gtk/gtk_status_bar.h"

namespace qm::gtk {

void GtkTrayButton::setImage(std::unique_ptr<platform::Image> image) {
    // Every image comes from GtkStatusBar.
    image_.reset(static_cast<GtkTrayImage*>(image.release()));
    if (!image_) return;
    image_->setOnChange([this] { showImage(); });
    showImage();
}

void GtkTrayButton::showImage() {
    if (icons_.path().empty()) return;
    const std::string name = icons_.nextName();
    if (!image_->writePNG(icons_.fileFor(name))) return;
    app_indicator_set_icon_theme_path(indicator_, icons_.path().c_str());
    const std::string& description = image_->description().empty() ? title_ : image_->description();
    app_indicator_set_icon_full(indicator_, name.c_str(), description.c_str());
}

GtkTrayItem::GtkTrayItem(const std::string& id, const std::string& title)
    : indicator_(app_indicator_new(id.c_str(), "", APP_INDICATOR_CATEGORY_APPLICATION_STATUS)),
      button_(indicator_.get(), icons_, title) {
    app_indicator_set_title(indicator_.get(), title.c_str());
    setMenu(nullptr);
    app_indicator_set_status(indicator_.get(), APP_INDICATOR_STATUS_ACTIVE);
}

void GtkTrayItem::setMenu(std::unique_ptr<platform::Menu> menu) {
    // Every menu comes from GtkStatusBar::makeMenu.
    auto replacement = menu ? std::unique_ptr<GtkTrayMenu>(static_cast<GtkTrayMenu*>(menu.release()))
                            : std::make_unique<GtkTrayMenu>();
    app_indicator_set_menu(indicator_.get(), replacement->gtkMenu());
    menu_ = std::move(replacement);
}

std::unique_ptr<platform::StatusItem> GtkStatusBar::statusItemWithLength(double) {
    // The tray sizes its items itself. Ids stay distinct so hosts keep the items apart.
    const std::string id = ++items_ == 1 ? "quillmere" : "quillmere-" + std::to_string(items_);
    return std::make_unique<GtkTrayItem>(id, "Quillmere");
}

std::unique_ptr<platform::Menu> GtkStatusBar::makeMenu() {
    return std::make_unique<GtkTrayMenu>();
}

std::unique_ptr<platform::Image> GtkStatusBar::imageNamed(const std::string& name) {
    return GtkTrayImage::fromResources(resources_, name);
}

std::unique_ptr<platform::Image> GtkStatusBar::systemSymbolImage(const std::string& name,
                                                                 const std::string& accessibilityDescription) {
    return GtkTrayImage::symbol(name, accessibilityDescription);
}

}  // namespace qm::gtk
