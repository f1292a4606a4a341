#pragma once

#include <gdk/gdk.h>

#include <functional>

namespace qm::gtk {

// Calls back, from the main loop, after the window manager names another
// active window: the frontmost application may have changed. Changes that
// come close together give one call.
class GtkActiveWindowWatch {
public:
    explicit GtkActiveWindowWatch(std::function<void()> changed);
    ~GtkActiveWindowWatch();
    GtkActiveWindowWatch(const GtkActiveWindowWatch&) = delete;
    GtkActiveWindowWatch& operator=(const GtkActiveWindowWatch&) = delete;

private:
    static GdkFilterReturn filter(GdkXEvent* xevent, GdkEvent* event, gpointer self);
    static gboolean idle(gpointer self);

    std::function<void()> changed_;
    GdkWindow* root_;
    unsigned long activeWindowAtom_;
    guint pending_ = 0;
};

}  // namespace qm::gtk
