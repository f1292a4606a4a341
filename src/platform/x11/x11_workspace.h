#pragma once

#include "platform/workspace.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_screens.h"
#include "platform/x11/x11_window_stack.h"

namespace qm::x11 {

// The frontmost application is the one of the window the manager says is
// active, and the application at a point the one of the window stacked
// highest there, known from the window stack; the desktop's own window (the
// one holding its icons, where there is one) is no application's. Either's
// identifier and name are the class string of that window's WM_CLASS, its
// process the one behind the window. While one of the program's own windows
// is active, no application is frontmost. URLs open with the desktop's
// default handler.
class X11Workspace : public platform::Workspace, public platform::ProcessInfo {
public:
    X11Workspace(Connection& connection, WindowStack& stack, const X11Screens& screens)
        : connection_(connection), stack_(stack), screens_(screens) {}

    std::optional<platform::RunningApplication> frontmostApplication() const override;
    std::optional<platform::RunningApplication> applicationAt(platform::Point p) const override;
    bool openURL(const std::string& url) override;
    // The class is the only name X11 keeps for an application that is not running.
    std::optional<std::string> applicationName(const std::string& bundleIdentifier) const override {
        return bundleIdentifier;
    }
    int32_t processIdentifier() const override;

private:
    Connection& connection_;
    WindowStack& stack_;
    const X11Screens& screens_;
};

}  // namespace qm::x11
