// GtkStatusIcon, deprecated as a whole, is GTK 3's only way into an XEmbed tray.
#define GDK_DISABLE_DEPRECATION_WARNINGS

#include "platform/gtk/gtk_xembed_icon.h"

#include <gdk/gdkx.h>
#include <gtk/gtkx.h>

#include "platform/gtk/gtk_system_tray.h"

namespace qm::gtk {

namespace {

// What the tray's own plug window is, among this process's windows.
GtkWidget* plugWindow(GtkStatusIcon* icon) {
    const guint32 id = gtk_status_icon_get_x11_window_id(icon);
    GtkWidget* found = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w && !found; w = w->next) {
        GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(w->data));
        if (GTK_IS_PLUG(w->data) && window && GDK_WINDOW_XID(window) == id) found = GTK_WIDGET(w->data);
    }
    g_list_free(windows);
    return found;
}

}  // namespace

// Made without a name: GtkStatusIcon sets a name by taking the tray's window
// down and up again, which the tray may be embedding meanwhile.
GtkXEmbedIcon::GtkXEmbedIcon(const std::string& title, std::function<GtkMenu*()> menu)
    : menu_(std::move(menu)), icon_(gtk_status_icon_new()) {
    gtk_status_icon_set_title(icon_.get(), title.c_str());
    gtk_status_icon_set_tooltip_text(icon_.get(), title.c_str());
    g_signal_connect(icon_.get(), "activate", G_CALLBACK(&GtkXEmbedIcon::activate), this);
    g_signal_connect(icon_.get(), "popup-menu", G_CALLBACK(&GtkXEmbedIcon::popUpMenu), this);
    g_signal_connect(icon_.get(), "size-changed", G_CALLBACK(&GtkXEmbedIcon::sizeChanged), this);
    g_signal_connect(icon_.get(), "notify::embedded", G_CALLBACK(&GtkXEmbedIcon::trayChanged), this);
    plug_ = plugWindow(icon_.get());
    if (plug_) g_signal_connect(plug_, "notify::fg-color", G_CALLBACK(&GtkXEmbedIcon::trayChanged), this);
}

// Others may hold the icon a while longer; it leaves the tray now.
GtkXEmbedIcon::~GtkXEmbedIcon() {
    if (plug_) g_signal_handlers_disconnect_by_data(plug_, this);
    g_signal_handlers_disconnect_by_data(icon_.get(), this);
    gtk_status_icon_set_visible(icon_.get(), FALSE);
}

void GtkXEmbedIcon::show(const GtkTrayImage* image) {
    image_ = image;
    draw();
}

void GtkXEmbedIcon::draw() {
    if (!image_) return;
    // Before a tray embeds it, the icon has no size; a common panel's stands in.
    const int size = gtk_status_icon_get_size(icon_.get());
    const Surface picture = image_->drawInPanel(size > 0 ? size : 22, systemTrayForeground());
    GdkPixbuf* pixbuf = gdk_pixbuf_get_from_surface(picture.get(), 0, 0, cairo_image_surface_get_width(picture.get()),
                                                    cairo_image_surface_get_height(picture.get()));
    if (!pixbuf) return;
    gtk_status_icon_set_from_pixbuf(icon_.get(), pixbuf);
    g_object_unref(pixbuf);
}

void GtkXEmbedIcon::activate(GtkStatusIcon*, gpointer self) {
    static_cast<GtkXEmbedIcon*>(self)->popUp(1, gtk_get_current_event_time());
}

void GtkXEmbedIcon::popUpMenu(GtkStatusIcon*, guint button, guint time, gpointer self) {
    static_cast<GtkXEmbedIcon*>(self)->popUp(button, time);
}

void GtkXEmbedIcon::popUp(guint button, guint32 time) {
    if (GtkMenu* menu = menu_())
        gtk_menu_popup(menu, nullptr, nullptr, gtk_status_icon_position_menu, icon_.get(), button, time);
}

gboolean GtkXEmbedIcon::sizeChanged(GtkStatusIcon*, gint, gpointer self) {
    static_cast<GtkXEmbedIcon*>(self)->draw();
    return TRUE;
}

void GtkXEmbedIcon::trayChanged(GObject*, GParamSpec*, gpointer self) {
    static_cast<GtkXEmbedIcon*>(self)->draw();
}

}  // namespace qm::gtk
