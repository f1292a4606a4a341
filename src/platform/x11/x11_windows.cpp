#include "platform/x11/x11_windows.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/shape.h>
#include <cairo-xlib.h>
#include <unistd.h>

#include <cmath>
#include <vector>

#include "platform/cairo/cairo_graphics.h"

namespace qm::x11 {

using platform::Rect;

namespace {

// The window server's level for the cursor's windows.
constexpr platform::WindowLevel cursorLevel = 2147483630;

// The rows of an image where its alpha is at least half, as rectangles.
std::vector<XRectangle> paintedArea(cairo_surface_t* image) {
    cairo_surface_flush(image);
    const int width = cairo_image_surface_get_width(image), height = cairo_image_surface_get_height(image);
    const int stride = cairo_image_surface_get_stride(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    std::vector<XRectangle> area;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
        for (int x = 0; x < width;) {
            if ((row[x] >> 24) < 128) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < width && (row[x] >> 24) >= 128) ++x;
            area.push_back(
                {static_cast<short>(start), static_cast<short>(y), static_cast<unsigned short>(x - start), 1});
        }
    }
    return area;
}

}  // namespace

X11Window::X11Window(Connection& connection, const X11Screens& screens, const Rect& contentRect,
                     platform::WindowStyleMask style)
    : connection_(connection), screens_(screens), frame_(contentRect), style_(style) {}

X11Window::~X11Window() {
    if (window_ == None) return;
    connection_.removeHandler(*this);
    XDestroyWindow(connection_.display(), window_);
    if (colormap_ != None) XFreeColormap(connection_.display(), colormap_);
    XFlush(connection_.display());
}

void X11Window::setContentView(std::unique_ptr<platform::View> view) {
    view_ = std::move(view);
    if (window_ != None) paint();
}

void X11Window::create() {
    Display* d = connection_.display();
    const int screen = DefaultScreen(d);
    XVisualInfo info{};
    const bool alpha = !opaque_ && XMatchVisualInfo(d, screen, 32, TrueColor, &info);
    visual_ = alpha ? info.visual : DefaultVisual(d, screen);
    const int depth = alpha ? 32 : DefaultDepth(d, screen);
    colormap_ = XCreateColormap(d, connection_.root(), visual_, AllocNone);

    XSetWindowAttributes attributes{};
    attributes.override_redirect = style_ == platform::window_style::borderless;
    attributes.colormap = colormap_;
    attributes.border_pixel = 0;
    attributes.background_pixel = 0;
    attributes.event_mask = ExposureMask;
    const Rect r = screens_.appKitToRoot(frame_);
    window_ = XCreateWindow(d, connection_.root(), static_cast<int>(std::lround(r.x)),
                            static_cast<int>(std::lround(r.y)), static_cast<unsigned>(std::max(1.0, r.width)),
                            static_cast<unsigned>(std::max(1.0, r.height)), 0, depth, InputOutput, visual_,
                            CWOverrideRedirect | CWColormap | CWBorderPixel | CWBackPixel | CWEventMask, &attributes);

    // So that the desktop, and the tests, can tell whose window this is.
    XClassHint hint{const_cast<char*>("quillmere"), const_cast<char*>("Quillmere")};
    XSetClassHint(d, window_, &hint);
    const long pid = getpid();
    XChangeProperty(d, window_, connection_.atom("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    applyTitle();
    if (ignoresMouse_) {
        const XserverRegion nothing = XFixesCreateRegion(d, nullptr, 0);
        XFixesSetWindowShapeRegion(d, window_, ShapeInput, 0, 0, nothing);
        XFixesDestroyRegion(d, nothing);
    }
    connection_.addHandler(*this);
}

void X11Window::orderFrontRegardless() {
    if (window_ == None) create();
    paint();
    XMapRaised(connection_.display(), window_);
    XFlush(connection_.display());
}

void X11Window::orderOut() {
    if (window_ == None) return;
    XUnmapWindow(connection_.display(), window_);
    XFlush(connection_.display());
}

void X11Window::setTitle(const std::string& title) {
    title_ = title;
    if (window_ != None) applyTitle();
}

void X11Window::applyTitle() {
    if (title_.empty()) return;
    Display* d = connection_.display();
    XChangeProperty(d, window_, connection_.atom("_NET_WM_NAME"), connection_.atom("UTF8_STRING"), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title_.data()), static_cast<int>(title_.size()));
}

void X11Window::setContentSize(double width, double height) {
    // AppKit keeps the top edge where it is.
    frame_.y += frame_.height - height;
    frame_.width = width;
    frame_.height = height;
}

void X11Window::center() {
    const Rect screen = screens_.screens().front();
    frame_.x = screen.x + (screen.width - frame_.width) / 2;
    frame_.y = screen.y + (screen.height - frame_.height) / 2;
}

void X11Window::handle(XEvent& event) {
    if (event.type == Expose && event.xexpose.window == window_ && event.xexpose.count == 0) paint();
}

// The view is drawn into an image first: its alpha gives the window its shape.
void X11Window::paint() {
    const int width = static_cast<int>(std::lround(frame_.width)),
              height = static_cast<int>(std::lround(frame_.height));
    if (width <= 0 || height <= 0) return;
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(image);
    cairo_set_source_rgba(cr, background_.red, background_.green, background_.blue, background_.alpha);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    if (view_) {
        cairo_save(cr);
        cairo::CairoGraphics graphics(cr, view_->frame().height, view_->isFlipped());
        view_->draw(graphics, view_->bounds());
        cairo_restore(cr);
    }
    cairo_destroy(cr);

    Display* d = connection_.display();
    if (!opaque_) {
        auto area = paintedArea(image);
        XShapeCombineRectangles(d, window_, ShapeBounding, 0, 0, area.data(), static_cast<int>(area.size()), ShapeSet,
                                Unsorted);
    }
    cairo_surface_t* target = cairo_xlib_surface_create(d, window_, visual_, width, height);
    cairo_t* out = cairo_create(target);
    cairo_set_operator(out, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(out, image, 0, 0);
    cairo_paint(out);
    cairo_destroy(out);
    cairo_surface_destroy(target);
    cairo_surface_destroy(image);
    XFlush(d);
}

std::unique_ptr<platform::Window> X11WindowServer::createWindow(const Rect& contentRect,
                                                                platform::WindowStyleMask style, platform::BackingStore,
                                                                bool) {
    return std::make_unique<X11Window>(connection_, screens_, contentRect, style);
}

platform::WindowLevel X11WindowServer::windowLevelForKey(platform::WindowLevelKey key) const {
    return key == platform::cursorWindowLevelKey ? cursorLevel : 0;
}

std::unique_ptr<platform::Window> X11WindowServer::windowWithRootView(std::unique_ptr<platform::views::View> root) {
    return viewWindows_(std::move(root));
}

}  // namespace qm::x11
