#pragma once

#include <libayatana-appindicator/app-indicator.h>

#include <memory>
#include <string>

#include "platform/gtk/gtk_icon_directory.h"
#include "platform/gtk/gtk_object.h"
#include "platform/gtk/gtk_tray_image.h"
#include "platform/gtk/gtk_tray_menu.h"
#include "platform/menus.h"

namespace qm::gtk {

// Shows its image as the indicator's icon.
class GtkTrayButton : public platform::StatusBarButton {
public:
    // An image without a description of its own is described by title.
    GtkTrayButton(AppIndicator* indicator, GtkIconDirectory& icons, std::string title)
        : indicator_(indicator), icons_(icons), title_(std::move(title)) {}

    void setImage(std::unique_ptr<platform::Image> image) override;
    platform::Image* image() override { return image_.get(); }

private:
    void showImage();

    AppIndicator* indicator_;
    GtkIconDirectory& icons_;
    std::string title_;
    std::unique_ptr<GtkTrayImage> image_;
};

// A status item: an application indicator, which a StatusNotifierItem host
// shows with the menu exported over D-Bus, or else an XEmbed tray with the
// GTK menu itself. It leaves the tray when destroyed.
class GtkTrayItem : public platform::StatusItem {
public:
    GtkTrayItem(const std::string& id, const std::string& title);
    GtkTrayItem(const GtkTrayItem&) = delete;
    GtkTrayItem& operator=(const GtkTrayItem&) = delete;

    platform::StatusBarButton* button() override { return &button_; }
    void setMenu(std::unique_ptr<platform::Menu> menu) override;

    AppIndicator* indicator() const { return indicator_.get(); }

private:
    GtkIconDirectory icons_;
    // The indicator shows nothing without a menu; an empty one stands in.
    std::unique_ptr<GtkTrayMenu> menu_;
    GObjectPtr<AppIndicator> indicator_;
    GtkTrayButton button_;
};

// The status bar of a Linux desktop, through libayatana-appindicator3.
class GtkStatusBar : public platform::StatusBar {
public:
    // Images by name are NAME.png (and NAME@2x.png) in resourceDirectory.
    explicit GtkStatusBar(std::string resourceDirectory) : resources_(std::move(resourceDirectory)) {}

    std::unique_ptr<platform::StatusItem> statusItemWithLength(double length) override;
    std::unique_ptr<platform::Menu> makeMenu() override;
    std::unique_ptr<platform::Image> imageNamed(const std::string& name) override;
    std::unique_ptr<platform::Image> systemSymbolImage(const std::string& name,
                                                       const std::string& accessibilityDescription) override;

private:
    std::string resources_;
    int items_ = 0;
};

}  // namespace qm::gtk
