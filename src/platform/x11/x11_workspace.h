#pragma once

#include "platform/workspace.h"
#include "platform/x11/x11_connection.h"

namespace qm::x11 {

// The frontmost application is the one of the window the manager says is
// active: its identifier and its name are the class string of that window's
// WM_CLASS, its process the one behind the window; while one of the
// program's own windows is active, there is none. URLs open with the
// desktop's default handler.
class X11Workspace : public platform::Workspace, public platform::ProcessInfo {
public:
    explicit X11Workspace(Connection& connection) : connection_(connection) {}

    std::optional<platform::RunningApplication> frontmostApplication() const override;
    bool openURL(const std::string& url) override;
    // The class is the only name X11 keeps for an application that is not running.
    std::optional<std::string> applicationName(const std::string& bundleIdentifier) const override {
        return bundleIdentifier;
    }
    int32_t processIdentifier() const override;

private:
    Connection& connection_;
};

}  // namespace qm::x11
