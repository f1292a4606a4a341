#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/windows.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_screens.h"

namespace qm::x11 {

// A window the program draws itself, made on the server when first shown. A
// borderless one is an overlay the window manager leaves alone (override-
// redirect); one that is not opaque takes the shape of what its view paints,
// with a visual that has alpha where the server offers one; one that ignores
// the mouse has an empty input region, so clicks and pointer queries go to
// whatever lies below it.
class X11Window : public platform::Window, public EventHandler {
public:
    X11Window(Connection& connection, const X11Screens& screens, const platform::Rect& contentRect,
              platform::WindowStyleMask style);
    ~X11Window() override;
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    void setOpaque(bool opaque) override { opaque_ = opaque; }
    void setBackgroundColor(const platform::Color& color) override { background_ = color; }
    void setHasShadow(bool) override {}
    void setIgnoresMouseEvents(bool ignores) override { ignoresMouse_ = ignores; }
    // Shown, a window goes above every other; X has no levels.
    void setLevel(platform::WindowLevel) override {}
    void setCollectionBehavior(platform::CollectionBehavior) override {}
    void setContentView(std::unique_ptr<platform::View> view) override;
    void orderFrontRegardless() override;
    void orderOut() override;
    void setTitle(const std::string& title) override;
    void setStyleMask(platform::WindowStyleMask style) override { style_ = style; }
    void setContentSize(double width, double height) override;
    void setReleasedWhenClosed(bool) override {}
    void center() override;
    void makeKeyAndOrderFront() override { orderFrontRegardless(); }
    void close() override { orderOut(); }

    void handle(XEvent& event) override;

private:
    void create();
    void paint();
    void applyTitle();

    Connection& connection_;
    const X11Screens& screens_;
    platform::Rect frame_;  // AppKit screen space
    platform::WindowStyleMask style_;
    bool opaque_ = true;
    platform::Color background_ = platform::Color::white(1, 1);
    bool ignoresMouse_ = false;
    std::string title_;
    std::unique_ptr<platform::View> view_;
    ::Window window_ = None;  // the X window, once made
    Visual* visual_ = nullptr;
    Colormap colormap_ = None;
};

// Windows, window levels, and the host of the declarative views, which is the
// GTK side's to give.
class X11WindowServer : public platform::WindowServer {
public:
    using ViewWindowMaker = std::function<std::unique_ptr<platform::Window>(std::unique_ptr<platform::views::View>)>;

    X11WindowServer(Connection& connection, const X11Screens& screens, ViewWindowMaker viewWindows)
        : connection_(connection), screens_(screens), viewWindows_(std::move(viewWindows)) {}

    std::unique_ptr<platform::Window> createWindow(const platform::Rect& contentRect, platform::WindowStyleMask style,
                                                   platform::BackingStore backing, bool defer) override;
    platform::WindowLevel windowLevelForKey(platform::WindowLevelKey key) const override;
    std::unique_ptr<platform::Window> windowWithRootView(std::unique_ptr<platform::views::View> root) override;

private:
    Connection& connection_;
    const X11Screens& screens_;
    ViewWindowMaker viewWindows_;
};

}  // namespace qm::x11
