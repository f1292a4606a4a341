#include "platform/gtk/gtk_view_window.h"

#include <gdk/gdkkeysyms.h>

#include <cmath>

#include "platform/cairo/view_painter.h"

namespace qm::gtk {

namespace {

// A wheel's click moves a list by about three rows.
constexpr double pointsPerWheelClick = 40;

platform::Point pointOf(double x, double y) {
    return {x, y};
}

// How far a scroll event moves a list down, in points. Smooth deltas come in
// wheel clicks too, fractions of one from a touchpad.
double scrollDistance(const GdkEventScroll& event) {
    switch (event.direction) {
        case GDK_SCROLL_UP: return -pointsPerWheelClick;
        case GDK_SCROLL_DOWN: return pointsPerWheelClick;
        case GDK_SCROLL_SMOOTH: return event.delta_y * pointsPerWheelClick;
        default: return 0;
    }
}

}  // namespace

GtkViewWindow::GtkViewWindow(std::unique_ptr<platform::views::View> root)
    : host_(std::move(root)), window_(own(gtk_window_new(GTK_WINDOW_TOPLEVEL))), area_(gtk_drawing_area_new()) {
    gtk_widget_add_events(area_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_BUTTON1_MOTION_MASK |
                                     GDK_SCROLL_MASK | GDK_SMOOTH_SCROLL_MASK);
    gtk_container_add(GTK_CONTAINER(window_.get()), area_);
    gtk_widget_show(area_);
    g_signal_connect(area_, "draw", G_CALLBACK(&GtkViewWindow::drawn), this);
    g_signal_connect(area_, "button-press-event", G_CALLBACK(&GtkViewWindow::pressed), this);
    g_signal_connect(area_, "motion-notify-event", G_CALLBACK(&GtkViewWindow::moved), this);
    g_signal_connect(area_, "button-release-event", G_CALLBACK(&GtkViewWindow::released), this);
    g_signal_connect(area_, "scroll-event", G_CALLBACK(&GtkViewWindow::scrolled), this);
    g_signal_connect(window_.get(), "key-press-event", G_CALLBACK(&GtkViewWindow::keyPressed), this);
    g_signal_connect(window_.get(), "delete-event", G_CALLBACK(&GtkViewWindow::closing), this);
    host_.setOnChange([this] {
        page_.reset();
        gtk_widget_queue_draw(area_);
    });
}

GtkViewWindow::~GtkViewWindow() {
    g_signal_handlers_disconnect_by_data(area_, this);
    g_signal_handlers_disconnect_by_data(window_.get(), this);
}

const cairo::Placed& GtkViewWindow::page() const {
    const cairo::Size size{static_cast<double>(gtk_widget_get_allocated_width(area_)),
                           static_cast<double>(gtk_widget_get_allocated_height(area_))};
    const cairo::Layout layout(measure_);
    if (!page_ || size.width != pageSize_.width || size.height != pageSize_.height) {
        page_ = layout.place(host_.tree(), size);
        pageSize_ = size;
    }
    scrolls_.applyTo(*page_, layout);
    return *page_;
}

gboolean GtkViewWindow::drawn(GtkWidget*, cairo_t* cr, gpointer self) {
    const auto* window = static_cast<GtkViewWindow*>(self);
    cairo::paintPage(cr, window->page());
    if (window->held_) window->held_->paintHeld(cr);
    return TRUE;
}

gboolean GtkViewWindow::pressed(GtkWidget*, GdkEventButton* event, gpointer self) {
    auto* window = static_cast<GtkViewWindow*>(self);
    if (event->button != GDK_BUTTON_PRIMARY || event->type != GDK_BUTTON_PRESS) return FALSE;
    const auto p = pointOf(event->x, event->y);
    window->held_ = controlAt(window->page(), p, {window->host_, window->area_, window->popUp_});
    gtk_widget_queue_draw(window->area_);
    if (window->held_) window->held_->drag(p);
    return TRUE;
}

gboolean GtkViewWindow::moved(GtkWidget*, GdkEventMotion* event, gpointer self) {
    auto* window = static_cast<GtkViewWindow*>(self);
    if (!window->held_) return FALSE;
    window->held_->drag(pointOf(event->x, event->y));
    gtk_widget_queue_draw(window->area_);
    return TRUE;
}

// The control's action may end this window; nothing of it is touched after.
gboolean GtkViewWindow::released(GtkWidget*, GdkEventButton* event, gpointer self) {
    auto* window = static_cast<GtkViewWindow*>(self);
    if (event->button != GDK_BUTTON_PRIMARY || !window->held_) return FALSE;
    const auto control = std::move(window->held_);
    gtk_widget_queue_draw(window->area_);
    control->release(pointOf(event->x, event->y));
    return TRUE;
}

// Not while a control is held: it would be left working a row that moved away.
gboolean GtkViewWindow::scrolled(GtkWidget*, GdkEventScroll* event, gpointer self) {
    auto* window = static_cast<GtkViewWindow*>(self);
    const double distance = scrollDistance(*event);
    if (distance == 0 || window->held_ ||
        !window->scrolls_.scroll(window->page(), pointOf(event->x, event->y), distance))
        return FALSE;
    gtk_widget_queue_draw(window->area_);
    return TRUE;
}

gboolean GtkViewWindow::keyPressed(GtkWidget*, GdkEventKey* event, gpointer self) {
    auto* window = static_cast<GtkViewWindow*>(self);
    const auto modifiers = event->state & gtk_accelerator_get_default_mod_mask();
    if (event->keyval == GDK_KEY_Escape || (event->keyval == GDK_KEY_w && modifiers == GDK_CONTROL_MASK)) {
        window->close();
        return TRUE;
    }
    if ((event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter) && modifiers == 0)
        return window->host_.pressDefault();
    return FALSE;
}

// The title bar's close button hides the window and keeps it.
gboolean GtkViewWindow::closing(GtkWidget*, GdkEvent*, gpointer self) {
    static_cast<GtkViewWindow*>(self)->close();
    return TRUE;
}

void GtkViewWindow::setLevel(platform::WindowLevel level) {
    gtk_window_set_keep_above(gtkWindow(), level > 0);
}

void GtkViewWindow::orderFrontRegardless() {
    gtk_widget_show(window_.get());
    gdk_window_raise(gtk_widget_get_window(window_.get()));
}

void GtkViewWindow::orderOut() {
    gtk_widget_hide(window_.get());
}

void GtkViewWindow::setTitle(const std::string& title) {
    gtk_window_set_title(gtkWindow(), title.c_str());
}

void GtkViewWindow::setStyleMask(platform::WindowStyleMask style) {
    gtk_window_set_decorated(gtkWindow(), (style & platform::window_style::titled) != 0);
    gtk_window_set_deletable(gtkWindow(), (style & platform::window_style::closable) != 0);
    gtk_window_set_resizable(gtkWindow(), (style & platform::window_style::resizable) != 0);
}

void GtkViewWindow::setContentSize(double width, double height) {
    const int w = static_cast<int>(std::lround(width));
    const int h = static_cast<int>(std::lround(height));
    gtk_widget_set_size_request(area_, w, h);
    gtk_window_resize(gtkWindow(), w, h);
}

// In the middle of the work area of the monitor the window is on, or of the
// primary one before it is shown.
void GtkViewWindow::center() {
    GdkDisplay* display = gtk_widget_get_display(window_.get());
    GdkWindow* shown = gtk_widget_get_window(window_.get());
    GdkMonitor* monitor = shown ? gdk_display_get_monitor_at_window(display, shown) : nullptr;
    if (!monitor) monitor = gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    if (!monitor) return;
    GdkRectangle area;
    gdk_monitor_get_workarea(monitor, &area);
    // Before the window is shown, this is the size it will be shown at.
    int width = 0;
    int height = 0;
    gtk_window_get_size(gtkWindow(), &width, &height);
    gtk_window_move(gtkWindow(), area.x + (area.width - width) / 2, area.y + (area.height - height) / 2);
}

void GtkViewWindow::makeKeyAndOrderFront() {
    gtk_window_present(gtkWindow());
}

void GtkViewWindow::close() {
    held_.reset();
    popUp_.reset();
    gtk_widget_hide(window_.get());
}

}  // namespace qm::gtk
