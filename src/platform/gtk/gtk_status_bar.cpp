#include "platform/gtk/gtk_status_bar.h"

#include <filesystem>

#include "platform/gtk/gtk_system_tray.h"

namespace qm::gtk {

namespace {

// Without one, the indicator and its exported menu could never be shown, and
// would only complain about it.
bool hasSessionBus() {
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (error) g_error_free(error);
    if (!bus) return false;
    g_object_unref(bus);
    return true;
}

}  // namespace

void GtkTrayButton::setImage(std::unique_ptr<platform::Image> image) {
    // Every image comes from GtkStatusBar.
    item_.setImage(std::unique_ptr<GtkTrayImage>(static_cast<GtkTrayImage*>(image.release())));
}

platform::Image* GtkTrayButton::image() {
    return item_.image();
}

GtkTrayItem::GtkTrayItem(const std::string& id, std::string title, GtkIconDirectory& icons, platform::SystemLog& log)
    : title_(std::move(title)), icons_(icons), log_(log), menu_(std::make_unique<GtkTrayMenu>()), button_(*this) {
    if (!hasSessionBus()) {
        intoTheTray();
        return;
    }
    indicator_.reset(newIndicator(id, this));
    app_indicator_set_title(indicator_.get(), title_.c_str());
    g_signal_connect(indicator_.get(), APP_INDICATOR_SIGNAL_CONNECTION_CHANGED,
                     G_CALLBACK(&GtkTrayItem::connectionChanged), this);
    app_indicator_set_menu(indicator_.get(), menu_->gtkMenu());
    app_indicator_set_status(indicator_.get(), APP_INDICATOR_STATUS_ACTIVE);
}

// The library may hold the indicator a while longer, and call on it.
GtkTrayItem::~GtkTrayItem() {
    if (trayLookup_) g_source_remove(trayLookup_);
    if (indicator_) {
        setIndicatorFallback(indicator_.get(), nullptr);
        g_signal_handlers_disconnect_by_data(indicator_.get(), this);
    }
    trayIcon_.reset();
}

void GtkTrayItem::setMenu(std::unique_ptr<platform::Menu> menu) {
    // Every menu comes from GtkStatusBar::makeMenu.
    auto replacement = menu ? std::unique_ptr<GtkTrayMenu>(static_cast<GtkTrayMenu*>(menu.release()))
                            : std::make_unique<GtkTrayMenu>();
    if (indicator_) app_indicator_set_menu(indicator_.get(), replacement->gtkMenu());
    menu_ = std::move(replacement);
}

void GtkTrayItem::setOnUnseen(std::function<void()> handler) {
    onUnseen_ = std::move(handler);
    if (shown_ == false && onUnseen_) onUnseen_();
}

void GtkTrayItem::setImage(std::unique_ptr<GtkTrayImage> image) {
    image_ = std::move(image);
    if (image_) image_->setOnChange([this] { showImage(); });
    showImage();
}

GtkStatusIcon* GtkTrayItem::fallBack() {
    intoTheTray();
    return trayIcon_->newReference();
}

void GtkTrayItem::fallBackNoMore() {
    trayIcon_.reset();
}

// Whether a tray is there is asked from the main loop, once whoever wants to
// know has had the chance to ask.
void GtkTrayItem::intoTheTray() {
    if (!trayIcon_) trayIcon_ = std::make_unique<GtkXEmbedIcon>(title_, [this] { return menu_->gtkMenu(); });
    trayIcon_->show(image_.get());
    if (!shown_ && !trayLookup_) trayLookup_ = g_idle_add(&GtkTrayItem::lookForTray, this);
}

void GtkTrayItem::showImage() {
    if (indicator_ && image_) showInIndicator();
    if (trayIcon_) trayIcon_->show(image_.get());
}

// A host that recolours icons gets the symbolic one; any other the picture,
// drawn to show on any panel.
void GtkTrayItem::showInIndicator() {
    if (icons_.path().empty()) return;
    const std::string symbolic = image_->symbolicFile();
    const std::string name = icons_.nextName(symbolic.empty() ? "" : "-symbolic");
    std::error_code error;
    const bool written = symbolic.empty() ? image_->writePNG(icons_.fileFor(name), std::nullopt)
                                          : std::filesystem::copy_file(symbolic, icons_.fileFor(name, ".svg"), error);
    if (!written) return;
    app_indicator_set_icon_theme_path(indicator_.get(), icons_.path().c_str());
    const std::string& description = image_->description().empty() ? title_ : image_->description();
    app_indicator_set_icon_full(indicator_.get(), name.c_str(), description.c_str());
}

void GtkTrayItem::found(bool shown) {
    if (shown_) return;
    shown_ = shown;
    if (shown) return;
    log_.log(
        "Quillmere: nothing on this desktop shows tray items (no StatusNotifier host, no system tray); the "
        "settings window stands in for the tray menu, and the item appears as soon as a tray does");
    if (onUnseen_) onUnseen_();
}

void GtkTrayItem::connectionChanged(AppIndicator*, gboolean connected, gpointer self) {
    if (connected) static_cast<GtkTrayItem*>(self)->found(true);
}

gboolean GtkTrayItem::lookForTray(gpointer self) {
    auto* item = static_cast<GtkTrayItem*>(self);
    item->trayLookup_ = 0;
    item->found(systemTrayRunning());
    return G_SOURCE_REMOVE;
}

std::unique_ptr<platform::StatusItem> GtkStatusBar::statusItemWithLength(double) {
    // The tray sizes its items itself. Ids stay distinct so hosts keep the items apart.
    const std::string id = ++items_ == 1 ? "quillmere" : "quillmere-" + std::to_string(items_);
    return std::make_unique<GtkTrayItem>(id, "Quillmere", icons_, log_);
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
