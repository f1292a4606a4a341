#include "platform/gtk/gtk_active_window_watch.h"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>

namespace qm::gtk {

GtkActiveWindowWatch::GtkActiveWindowWatch(std::function<void()> changed)
    : changed_(std::move(changed)),
      root_(gdk_get_default_root_window()),
      activeWindowAtom_(gdk_x11_get_xatom_by_name("_NET_ACTIVE_WINDOW")) {
    gdk_window_set_events(root_, static_cast<GdkEventMask>(gdk_window_get_events(root_) | GDK_PROPERTY_CHANGE_MASK));
    gdk_window_add_filter(root_, &GtkActiveWindowWatch::filter, this);
}

GtkActiveWindowWatch::~GtkActiveWindowWatch() {
    gdk_window_remove_filter(root_, &GtkActiveWindowWatch::filter, this);
    if (pending_) g_source_remove(pending_);
}

// Runs inside GDK's event handling; the program is told later, from the loop.
GdkFilterReturn GtkActiveWindowWatch::filter(GdkXEvent* xevent, GdkEvent*, gpointer self) {
    auto* watch = static_cast<GtkActiveWindowWatch*>(self);
    const auto* event = static_cast<const XEvent*>(xevent);
    if (event->type == PropertyNotify && event->xproperty.atom == watch->activeWindowAtom_ && !watch->pending_)
        watch->pending_ = g_idle_add(&GtkActiveWindowWatch::idle, watch);
    return GDK_FILTER_CONTINUE;
}

gboolean GtkActiveWindowWatch::idle(gpointer self) {
    auto* watch = static_cast<GtkActiveWindowWatch*>(self);
    watch->pending_ = 0;
    watch->changed_();
    return G_SOURCE_REMOVE;
}

}  // namespace qm::gtk
