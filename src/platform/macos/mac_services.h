#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/services.h"

namespace qm::macos {

// SMAppService.mainAppService, found at run time: the class is new in macOS 13.
class MacLoginItems : public platform::LoginItemService {
public:
    bool isAvailable() const override;
    platform::LoginItemStatus status() const override;
    bool registerApp(std::string& error) override;
    bool unregisterApp(std::string& error) override;
};

// Sparkle's standard updater controller, when the framework is in the bundle.
class MacUpdater : public platform::Updater {
public:
    std::unique_ptr<platform::UpdaterController> makeStandardController() override;
};

class MacSystemLog : public platform::SystemLog {
public:
    void log(std::string_view line) override;
};

class MacBundle : public platform::Bundle {
public:
    std::string localizedString(std::string_view key, std::string_view value) const override;
};

}  // namespace qm::macos
