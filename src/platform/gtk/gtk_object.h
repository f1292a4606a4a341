#pragma once

#include <gtk/gtk.h>

#include <memory>

// Ownership of GLib and GTK objects.
namespace qm::gtk {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};

// One reference to a GObject, dropped with the holder.
template <class T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

// A widget this program made and answers for: the holder keeps a reference
// of its own (a top-level window is otherwise held by GTK, a menu by nobody)
// and destroys the widget when it goes.
struct WidgetDestroy {
    void operator()(GtkWidget* widget) const {
        gtk_widget_destroy(widget);
        g_object_unref(widget);
    }
};
using OwnedWidget = std::unique_ptr<GtkWidget, WidgetDestroy>;

inline OwnedWidget own(GtkWidget* widget) {
    return OwnedWidget(GTK_WIDGET(g_object_ref_sink(widget)));
}

}  // namespace qm::gtk
