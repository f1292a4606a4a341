#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The workspace and this process.
namespace qm::platform {

// What names an application in the workspace: its bundle identifier, or on an
// X11 desktop the class string of its windows' WM_CLASS.
enum class AppIdentifierKind { bundleIdentifier, wmClass };

struct RunningApplication {
    std::optional<std::string> bundleIdentifier;
    std::optional<std::string> localizedName;
    int32_t processIdentifier = 0;
};

class Workspace {
public:
    virtual ~Workspace() = default;
    virtual std::optional<RunningApplication> frontmostApplication() const = 0;
    // False when the URL does not parse or nothing opens it.
    virtual bool openURL(const std::string& url) = 0;
    // The name of the application with this bundle identifier; nothing when
    // the system does not know one.
    virtual std::optional<std::string> applicationName(const std::string& bundleIdentifier) const = 0;
};

class ProcessInfo {
public:
    virtual ~ProcessInfo() = default;
    virtual int32_t processIdentifier() const = 0;
};

}  // namespace qm::platform
