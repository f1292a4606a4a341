#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>

#include "platform/gtk/gtk_object.h"
#include "platform/gtk/gtk_tray_image.h"

namespace qm::gtk {

// The status item's icon in an XEmbed system tray, for desktops without a
// StatusNotifier host. A template picture is drawn in the colour the tray
// asks for, or so that it shows on any panel when the tray asks for none, at
// the tray's size, and drawn again when either changes. It waits for a tray
// to appear when there is none. A click on it, with any button, pops up the
// menu that menu gives at that moment under it.
class GtkXEmbedIcon {
public:
    GtkXEmbedIcon(const std::string& title, std::function<GtkMenu*()> menu);
    ~GtkXEmbedIcon();
    GtkXEmbedIcon(const GtkXEmbedIcon&) = delete;
    GtkXEmbedIcon& operator=(const GtkXEmbedIcon&) = delete;

    // Shows image, which must outlive this icon or be replaced first.
    void show(const GtkTrayImage* image);
    // A reference of the caller's own to the icon.
    GtkStatusIcon* newReference() const { return GTK_STATUS_ICON(g_object_ref(icon_.get())); }

private:
    static void activate(GtkStatusIcon* icon, gpointer self);
    static void popUpMenu(GtkStatusIcon* icon, guint button, guint time, gpointer self);
    void popUp(guint button, guint32 time);
    static gboolean sizeChanged(GtkStatusIcon* icon, gint size, gpointer self);
    static void trayChanged(GObject* object, GParamSpec* property, gpointer self);
    void draw();

    std::function<GtkMenu*()> menu_;
    GObjectPtr<GtkStatusIcon> icon_;
    // The plug window GTK embeds in the tray, which says when the tray's colours change.
    GtkWidget* plug_ = nullptr;
    const GtkTrayImage* image_ = nullptr;
};

}  // namespace qm::gtk
