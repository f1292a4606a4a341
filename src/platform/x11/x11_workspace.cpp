#include "platform/x11/x11_workspace.h"

#include <X11/Xatom.h>
#include <gio/gio.h>
#include <unistd.h>

#include "platform/x11/x11_error_trap.h"
#include "platform/x11/x11_properties.h"

namespace qm::x11 {

std::optional<platform::RunningApplication> X11Workspace::frontmostApplication() const {
    Display* d = connection_.display();
    ErrorTrap trap(d);
    const auto active = cardinal(d, connection_.root(), connection_.atom("_NET_ACTIVE_WINDOW"), XA_WINDOW);
    if (!active || *active == None) return std::nullopt;
    const auto window = static_cast<Window>(*active);
    platform::RunningApplication app;
    app.bundleIdentifier = windowClass(d, window);
    app.localizedName = app.bundleIdentifier;
    app.processIdentifier = windowProcess(d, window, connection_.atom("_NET_WM_PID")).value_or(0);
    // The program's own windows are no application to exclude.
    if (app.processIdentifier == getpid()) return std::nullopt;
    return app;
}

std::optional<platform::RunningApplication> X11Workspace::applicationAt(platform::Point p) const {
    const platform::Point root = screens_.toRoot(p);
    const auto client = stack_.clientAt(root.x, root.y);
    if (!client || client->layer == desktopLayer) return std::nullopt;
    return platform::RunningApplication{client->wmClass, client->wmClass, client->pid.value_or(0)};
}

bool X11Workspace::openURL(const std::string& url) {
    GError* error = nullptr;
    const bool opened = g_app_info_launch_default_for_uri(url.c_str(), nullptr, &error);
    if (error) g_error_free(error);
    return opened;
}

int32_t X11Workspace::processIdentifier() const {
    return getpid();
}

}  // namespace qm::x11
