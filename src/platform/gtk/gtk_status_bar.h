#pragma once

#include <libayatana-appindicator/app-indicator.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/gtk/gtk_icon_directory.h"
#include "platform/gtk/gtk_indicator.h"
#include "platform/gtk/gtk_object.h"
#include "platform/gtk/gtk_tray_image.h"
#include "platform/gtk/gtk_tray_menu.h"
#include "platform/gtk/gtk_xembed_icon.h"
#include "platform/menus.h"
#include "platform/services.h"

namespace qm::gtk {

class GtkTrayItem;

// Shows its image as the item's icon.
class GtkTrayButton : public platform::StatusBarButton {
public:
    explicit GtkTrayButton(GtkTrayItem& item) : item_(item) {}

    void setImage(std::unique_ptr<platform::Image> image) override;
    platform::Image* image() override;

private:
    GtkTrayItem& item_;
};

// A status item: an application indicator, which a StatusNotifierItem host
// shows with the menu exported over D-Bus, and where there is no such host,
// or no session bus, an icon in the XEmbed system tray with the GTK menu. A
// template picture goes to a host as its symbolic icon, which the host
// colours, and to a tray drawn for it. With neither a host nor a tray at
// start, it says so on the log once and tells whoever asked, and shows up
// when one appears. It leaves the panel when destroyed.
class GtkTrayItem : public platform::StatusItem, private IndicatorFallback {
public:
    // Its pictures go into icons, which outlives it.
    GtkTrayItem(const std::string& id, std::string title, GtkIconDirectory& icons, platform::SystemLog& log);
    ~GtkTrayItem() override;
    GtkTrayItem(const GtkTrayItem&) = delete;
    GtkTrayItem& operator=(const GtkTrayItem&) = delete;

    platform::StatusBarButton* button() override { return &button_; }
    void setMenu(std::unique_ptr<platform::Menu> menu) override;
    void setOnUnseen(std::function<void()> handler) override;

    void setImage(std::unique_ptr<GtkTrayImage> image);
    GtkTrayImage* image() const { return image_.get(); }

private:
    GtkStatusIcon* fallBack() override;
    void fallBackNoMore() override;
    void intoTheTray();
    void showImage();
    void showInIndicator();
    // Learns whether anything shows the item; only the first answer counts.
    void found(bool shown);
    static void connectionChanged(AppIndicator* indicator, gboolean connected, gpointer self);
    static gboolean lookForTray(gpointer self);

    std::string title_;
    GtkIconDirectory& icons_;
    platform::SystemLog& log_;
    std::unique_ptr<GtkTrayImage> image_;
    // The indicator shows nothing without a menu; an empty one stands in.
    std::unique_ptr<GtkTrayMenu> menu_;
    std::unique_ptr<GtkXEmbedIcon> trayIcon_;
    GObjectPtr<AppIndicator> indicator_;  // none without a session bus
    GtkTrayButton button_;
    std::optional<bool> shown_;
    std::function<void()> onUnseen_;
    guint trayLookup_ = 0;
};

// The status bar of a Linux desktop: StatusNotifier hosts through
// libayatana-appindicator3, and XEmbed trays.
class GtkStatusBar : public platform::StatusBar {
public:
    // Images by name are NAME.png (and NAME@2x.png, NAME-symbolic.svg) in resourceDirectory.
    GtkStatusBar(std::string resourceDirectory, platform::SystemLog& log)
        : resources_(std::move(resourceDirectory)), log_(log) {}

    std::unique_ptr<platform::StatusItem> statusItemWithLength(double length) override;
    std::unique_ptr<platform::Menu> makeMenu() override;
    std::unique_ptr<platform::Image> imageNamed(const std::string& name) override;
    std::unique_ptr<platform::Image> systemSymbolImage(const std::string& name,
                                                       const std::string& accessibilityDescription) override;

private:
    std::string resources_;
    platform::SystemLog& log_;
    GtkIconDirectory icons_;
    int items_ = 0;
};

}  // namespace qm::gtk
