#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <optional>

#include "platform/cairo/list_scrolls.h"
#include "platform/cairo/pango_text.h"
#include "platform/gtk/gtk_object.h"
#include "platform/gtk/gtk_view_controls.h"
#include "platform/views/view.h"
#include "platform/windows.h"

namespace qm::gtk {

// A titled GTK window that shows a declarative view, laid out and painted
// with the same cairo code as the pictures. A click works the node under it
// (a picker pops up its options as a menu, a slider follows a drag), the
// wheel scrolls the list under the pointer, Return presses the default button, and Escape or Control-W close the
// window. Closing only hides it: its owner decides when it goes.
class GtkViewWindow : public platform::Window {
public:
    explicit GtkViewWindow(std::unique_ptr<platform::views::View> root);
    ~GtkViewWindow() override;
    GtkViewWindow(const GtkViewWindow&) = delete;
    GtkViewWindow& operator=(const GtkViewWindow&) = delete;

    // A view's window is an ordinary titled window; these settings of a
    // borderless overlay do not apply to it.
    void setOpaque(bool) override {}
    void setBackgroundColor(const platform::Color&) override {}
    void setHasShadow(bool) override {}
    void setIgnoresMouseEvents(bool) override {}
    void setCollectionBehavior(platform::CollectionBehavior) override {}
    void setContentView(std::unique_ptr<platform::View>) override {}
    // Any level above the ordinary one keeps the window above the others.
    void setLevel(platform::WindowLevel level) override;
    void orderFrontRegardless() override;
    void orderOut() override;
    void setTitle(const std::string& title) override;
    void setStyleMask(platform::WindowStyleMask style) override;
    void setContentSize(double width, double height) override;
    // Closing always only hides; the owner's reference stays good either way.
    void setReleasedWhenClosed(bool) override {}
    void center() override;
    void makeKeyAndOrderFront() override;
    void close() override;

    GtkWindow* gtkWindow() const { return GTK_WINDOW(window_.get()); }
    const platform::views::ViewHost& host() const { return host_; }
    // The view laid out as the window shows it, lists scrolled as the user
    // left them. Laid out again only after the view or the window's size
    // changes: drawing and clicking cost no layout, and scrolling places only
    // the scrolled list's rows.
    const cairo::Placed& page() const;

private:
    static gboolean drawn(GtkWidget* area, cairo_t* cr, gpointer self);
    static gboolean pressed(GtkWidget* area, GdkEventButton* event, gpointer self);
    static gboolean moved(GtkWidget* area, GdkEventMotion* event, gpointer self);
    static gboolean released(GtkWidget* area, GdkEventButton* event, gpointer self);
    static gboolean scrolled(GtkWidget* area, GdkEventScroll* event, gpointer self);
    static gboolean keyPressed(GtkWidget* window, GdkEventKey* event, gpointer self);
    static gboolean closing(GtkWidget* window, GdkEvent* event, gpointer self);

    platform::views::ViewHost host_;
    cairo::PangoTextMeasure measure_;
    cairo::ListScrolls scrolls_;
    mutable std::optional<cairo::Placed> page_;
    mutable cairo::Size pageSize_;
    OwnedWidget window_;
    GtkWidget* area_;  // inside the window
    std::unique_ptr<ViewControl> held_;
    OwnedWidget popUp_;  // the menu a picker opened, ended before the page it is attached to
};

// Makes the windows that host declarative views.
class GtkViewWindows {
public:
    std::unique_ptr<platform::Window> windowWithRootView(std::unique_ptr<platform::views::View> root) {
        return std::make_unique<GtkViewWindow>(std::move(root));
    }
};

}  // namespace qm::gtk
