#pragma once

#include <X11/Xlib.h>
#include <glib.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/geometry.h"
#include "platform/x11/x11_connection.h"

namespace qm::x11 {

// The window server's levels, which the program compares against 0.
inline constexpr int64_t desktopLayer = -2147483623;
inline constexpr int64_t floatingLayer = 3;
inline constexpr int64_t dockLayer = 20;

// An application's window as the program knows it: the window itself (the
// client the window manager framed), the class string of its WM_CLASS, the
// process behind it, and its layer: 0 for ordinary windows, the dock's layer
// for docks, the floating one for palettes, menus and the like, the desktop
// below everything.
struct ClientWindow {
    Window window = None;
    std::optional<std::string> wmClass;
    std::optional<int32_t> pid;
    int64_t layer = 0;
};

// The root window's children, front to back, each with where it lies (in
// root coordinates, border included) and the application window it holds:
// the one the window manager marked with WM_STATE inside the frame, or
// without a manager a window that names its class itself. Kept up to date
// from the structure events of the root window, so that what lies at a point
// is known without asking the server, however many windows there are.
//
// What a window holds is asked once it is shown, in the main loop's idle
// moments, a few windows at a time so that no turn of the loop runs long. A
// window still unasked (just shown) or found empty (its manager had not
// framed it yet) is asked again when a point it covers is asked about: one
// window, a handful of round trips.
class WindowStack : public EventHandler {
public:
    struct TopLevel {
        Window window = None;
        platform::Rect frame;
        bool mapped = false;
        bool overrideRedirect = false;
        bool asked = false;
        std::optional<ClientWindow> client;
    };

    explicit WindowStack(Connection& connection);
    ~WindowStack() override;
    WindowStack(const WindowStack&) = delete;
    WindowStack& operator=(const WindowStack&) = delete;

    // Calls visit with each shown window that holds an application's, front to back.
    void forEachClient(const std::function<void(const TopLevel&, const ClientWindow&)>& visit) const;
    // The application window under a point of the root window, asked about
    // now if need be. The program's own overlays, which let the pointer
    // through, are looked through.
    std::optional<ClientWindow> clientAt(double rootX, double rootY);

    void handle(XEvent& event) override;

private:
    void addOnTop(Window window, platform::Rect frame, bool overrideRedirect, bool mapped);
    void remove(Window window);
    void restack(Window window, Window above);
    void shown(Window window);
    void ask(TopLevel& topLevel);
    std::optional<Window> clientInside(Window topLevel) const;
    bool hasProperty(Window window, Atom property) const;
    int64_t layer(Window client) const;
    static gboolean askSome(gpointer self);

    Connection& connection_;
    const int32_t ownPID_;
    long rootEvents_ = NoEventMask;  // what the connection heard of the root before
    // Bottom to top, as the server stacks them.
    std::vector<Window> order_;
    std::unordered_map<Window, TopLevel> windows_;
    std::deque<Window> unasked_;
    guint idle_ = 0;
};

}  // namespace qm::x11
