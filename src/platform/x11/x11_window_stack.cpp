#include "platform/x11/x11_window_stack.h"

#include <X11/Xatom.h>
#include <unistd.h>

#include <algorithm>

#include "platform/x11/x11_error_trap.h"
#include "platform/x11/x11_properties.h"

namespace qm::x11 {

namespace {

// How long one idle turn of the main loop may spend asking about windows, in microseconds.
constexpr gint64 askingBudget = 2000;
// How far inside a frame the application's window is looked for, and among how many windows.
constexpr int frameDepth = 2;
constexpr std::size_t mostLookedAt = 64;

platform::Rect frameOf(int x, int y, int width, int height, int border) {
    return {static_cast<double>(x), static_cast<double>(y), static_cast<double>(width + 2 * border),
            static_cast<double>(height + 2 * border)};
}

}  // namespace

WindowStack::WindowStack(Connection& connection) : connection_(connection), ownPID_(getpid()) {
    Display* d = connection.display();
    const Window root = connection.root();
    // Selected before the windows are listed: nothing that happens after is missed.
    XWindowAttributes rootAttributes{};
    XGetWindowAttributes(d, root, &rootAttributes);
    rootEvents_ = rootAttributes.your_event_mask;
    XSelectInput(d, root, rootEvents_ | SubstructureNotifyMask);
    connection.addHandler(*this);

    Window rootReturn = None, parent = None;
    Window* children = nullptr;
    unsigned count = 0;
    ErrorTrap trap(d);
    if (!XQueryTree(d, root, &rootReturn, &parent, &children, &count)) return;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a{};
        // Gone meanwhile: its DestroyNotify is on its way, and finds nothing.
        if (!XGetWindowAttributes(d, children[i], &a)) continue;
        addOnTop(children[i], frameOf(a.x, a.y, a.width, a.height, a.border_width), a.override_redirect,
                 a.map_state != IsUnmapped);
    }
    if (children) XFree(children);
}

// The root's events stop before the connection closes: one that came in
// after closing had emptied the connection's queue would stay there unfreed.
WindowStack::~WindowStack() {
    if (idle_) g_source_remove(idle_);
    connection_.removeHandler(*this);
    XSelectInput(connection_.display(), connection_.root(), rootEvents_);
}

void WindowStack::addOnTop(Window window, platform::Rect frame, bool overrideRedirect, bool mapped) {
    // Already known from the list read at the start: only its place changes.
    if (windows_.contains(window)) std::erase(order_, window);
    order_.push_back(window);
    windows_[window] = {window, frame, false, static_cast<bool>(overrideRedirect), false, std::nullopt};
    if (mapped) shown(window);
}

void WindowStack::remove(Window window) {
    if (windows_.erase(window)) std::erase(order_, window);
}

// Right above its sibling, or at the bottom without one.
void WindowStack::restack(Window window, Window above) {
    const auto at = std::find(order_.begin(), order_.end(), window);
    if (at == order_.end()) return;
    order_.erase(at);
    if (above == None) {
        order_.insert(order_.begin(), window);
        return;
    }
    // A sibling not known (yet) leaves the window on top, where new windows go.
    const auto sibling = std::find(order_.begin(), order_.end(), above);
    order_.insert(sibling == order_.end() ? sibling : sibling + 1, window);
}

// A window shown, perhaps again and changed: asked about afresh, soon.
void WindowStack::shown(Window window) {
    auto& topLevel = windows_.at(window);
    topLevel.mapped = true;
    topLevel.asked = false;
    topLevel.client.reset();
    unasked_.push_back(window);
    if (!idle_) idle_ = g_idle_add(&WindowStack::askSome, this);
}

gboolean WindowStack::askSome(gpointer self) {
    auto& stack = *static_cast<WindowStack*>(self);
    const gint64 start = g_get_monotonic_time();
    while (!stack.unasked_.empty() && g_get_monotonic_time() - start < askingBudget) {
        const auto found = stack.windows_.find(stack.unasked_.front());
        stack.unasked_.pop_front();
        if (found != stack.windows_.end() && found->second.mapped && !found->second.asked) stack.ask(found->second);
    }
    if (!stack.unasked_.empty()) return G_SOURCE_CONTINUE;
    stack.idle_ = 0;
    return G_SOURCE_REMOVE;
}

void WindowStack::ask(TopLevel& topLevel) {
    Display* d = connection_.display();
    ErrorTrap trap(d);
    topLevel.asked = true;
    topLevel.client.reset();
    const auto client = clientInside(topLevel.window);
    if (!client) return;
    topLevel.client = ClientWindow{*client, windowClass(d, *client),
                                   windowProcess(d, *client, connection_.atom("_NET_WM_PID")), layer(*client)};
}

// The window the manager marked as the application's, breadth first within
// the frame; or, with no manager, the top-level window that names its class.
std::optional<Window> WindowStack::clientInside(Window topLevel) const {
    Display* d = connection_.display();
    const Atom wmState = connection_.atom("WM_STATE");
    std::vector<Window> level{topLevel};
    std::size_t lookedAt = 0;
    for (int depth = 0; depth <= frameDepth && !level.empty(); ++depth) {
        std::vector<Window> next;
        for (const Window window : level) {
            if (++lookedAt > mostLookedAt) return std::nullopt;
            if (hasProperty(window, wmState)) return window;
            Window root = None, parent = None;
            Window* children = nullptr;
            unsigned count = 0;
            if (depth == frameDepth || !XQueryTree(d, window, &root, &parent, &children, &count)) continue;
            // The topmost child first.
            for (unsigned i = count; i-- > 0;) next.push_back(children[i]);
            if (children) XFree(children);
        }
        level = std::move(next);
    }
    if (hasProperty(topLevel, XA_WM_CLASS)) return topLevel;
    return std::nullopt;
}

bool WindowStack::hasProperty(Window window, Atom property) const {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const bool read = XGetWindowProperty(connection_.display(), window, property, 0, 0, False, AnyPropertyType, &type,
                                         &format, &count, &after, &data) == Success;
    if (data) XFree(data);
    return read && type != None;
}

int64_t WindowStack::layer(Window client) const {
    const auto type = cardinal(connection_.display(), client, connection_.atom("_NET_WM_WINDOW_TYPE"), XA_ATOM);
    if (!type || *type == connection_.atom("_NET_WM_WINDOW_TYPE_NORMAL") ||
        *type == connection_.atom("_NET_WM_WINDOW_TYPE_DIALOG"))
        return 0;
    if (*type == connection_.atom("_NET_WM_WINDOW_TYPE_DOCK")) return dockLayer;
    if (*type == connection_.atom("_NET_WM_WINDOW_TYPE_DESKTOP")) return desktopLayer;
    return floatingLayer;
}

void WindowStack::forEachClient(const std::function<void(const TopLevel&, const ClientWindow&)>& visit) const {
    for (auto window = order_.rbegin(); window != order_.rend(); ++window) {
        const TopLevel& topLevel = windows_.at(*window);
        if (topLevel.mapped && topLevel.client) visit(topLevel, *topLevel.client);
    }
}

std::optional<ClientWindow> WindowStack::clientAt(double rootX, double rootY) {
    for (auto window = order_.rbegin(); window != order_.rend(); ++window) {
        TopLevel& topLevel = windows_.at(*window);
        if (!topLevel.mapped || !platform::rectContainsPoint(topLevel.frame, {rootX, rootY})) continue;
        if (!topLevel.client) ask(topLevel);
        if (!topLevel.client) continue;
        if (topLevel.overrideRedirect && topLevel.client->pid == ownPID_) continue;
        return topLevel.client;
    }
    return std::nullopt;
}

void WindowStack::handle(XEvent& event) {
    const Window root = connection_.root();
    switch (event.type) {
        case CreateNotify: {
            const auto& e = event.xcreatewindow;
            if (e.parent == root)
                addOnTop(e.window, frameOf(e.x, e.y, e.width, e.height, e.border_width), e.override_redirect, false);
            break;
        }
        case DestroyNotify:
            if (event.xdestroywindow.event == root) remove(event.xdestroywindow.window);
            break;
        case ReparentNotify: {
            const auto& e = event.xreparent;
            if (e.event != root) break;
            if (e.parent != root) {
                remove(e.window);
                break;
            }
            // Let go by its manager, or the manager gone: a window of the root's again.
            Window ignored = None;
            int x = 0, y = 0;
            unsigned width = 0, height = 0, border = 0, depth = 0;
            ErrorTrap trap(connection_.display());
            if (XGetGeometry(connection_.display(), e.window, &ignored, &x, &y, &width, &height, &border, &depth))
                addOnTop(e.window,
                         frameOf(x, y, static_cast<int>(width), static_cast<int>(height), static_cast<int>(border)),
                         e.override_redirect, false);
            break;
        }
        case ConfigureNotify: {
            const auto& e = event.xconfigure;
            if (e.event != root || e.window == root || !windows_.contains(e.window)) break;
            windows_.at(e.window).frame = frameOf(e.x, e.y, e.width, e.height, e.border_width);
            windows_.at(e.window).overrideRedirect = e.override_redirect;
            restack(e.window, e.above);
            break;
        }
        case GravityNotify: {
            const auto& e = event.xgravity;
            if (e.event != root || !windows_.contains(e.window)) break;
            windows_.at(e.window).frame.x = e.x;
            windows_.at(e.window).frame.y = e.y;
            break;
        }
        case MapNotify:
            if (event.xmap.event == root && windows_.contains(event.xmap.window)) shown(event.xmap.window);
            break;
        case UnmapNotify:
            if (event.xunmap.event == root && windows_.contains(event.xunmap.window))
                windows_.at(event.xunmap.window).mapped = false;
            break;
        case CirculateNotify: {
            const auto& e = event.xcirculate;
            if (e.event != root || !windows_.contains(e.window)) break;
            std::erase(order_, e.window);
            if (e.place == PlaceOnTop)
                order_.push_back(e.window);
            else
                order_.insert(order_.begin(), e.window);
            break;
        }
        default: break;
    }
}

}  // namespace qm::x11
