#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/geometry.h"

// The workspace and this process.
namespace qm::platform {

// What names an application in the workspace: its bundle identifier, or on an
// X11 desktop the class string of its windows' WM_CLASS.
enum class AppIdentifierKind { bundleIdentifier, wmClass };

// Which application a press of the trigger belongs to, for the exclusions
// and the link check: the frontmost one, as on a Mac, where a click brings
// its window to the front first; or the one of the window under the pointer,
// as on X11, where a middle press neither reaches the window manager nor
// moves the focus, and a press over the bare desktop is the desktop's own.
enum class PressOwner { frontmostApplication, windowUnderPointer };

struct RunningApplication {
    std::optional<std::string> bundleIdentifier;
    std::optional<std::string> localizedName;
    int32_t processIdentifier = 0;
};

class Workspace {
public:
    virtual ~Workspace() = default;
    virtual std::optional<RunningApplication> frontmostApplication() const = 0;
    // The application of the window at a point of the Quartz global space;
    // nothing over the bare desktop. Asked only where presses belong to the
    // window under the pointer.
    virtual std::optional<RunningApplication> applicationAt(Point) const { return std::nullopt; }
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
