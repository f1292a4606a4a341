#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/menus.h"

// The smaller system services of the application: login items, the updater,
// the system log and the bundle's strings table.
namespace qm::platform {

enum class LoginItemStatus { notRegistered = 0, enabled = 1, requiresApproval = 2, notFound = 3 };

// The login-item registration of the program's own main application.
class LoginItemService {
public:
    virtual ~LoginItemService() = default;
    // Whether this system has the service at all (macOS 12 has none).
    virtual bool isAvailable() const { return true; }
    virtual LoginItemStatus status() const = 0;
    // Each answers whether it worked, and otherwise describes the error.
    virtual bool registerApp(std::string& error) = 0;
    virtual bool unregisterApp(std::string& error) = 0;
};

// The updater's controller: the target of the "checkForUpdates:" action.
class UpdaterController : public ActionTarget {};

class Updater {
public:
    virtual ~Updater() = default;
    // The standard controller, started at once.
    virtual std::unique_ptr<UpdaterController> makeStandardController() = 0;
    // Whether the platform updates programs this way at all; where it does not
    // (Linux, where packages update programs), the menu has no such item.
    virtual bool isOffered() const { return true; }
};

class SystemLog {
public:
    virtual ~SystemLog() = default;
    virtual void log(std::string_view line) = 0;
};

class Bundle {
public:
    virtual ~Bundle() = default;
    // The text for key in the default table, or value when the table lacks it.
    virtual std::string localizedString(std::string_view key, std::string_view value) const = 0;
};

}  // namespace qm::platform
