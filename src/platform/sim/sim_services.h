#pragma once

#include <optional>
#include <string>

#include "platform/services.h"
#include "platform/sim/context.h"
#include "platform/strings/strings_table.h"

namespace qm::sim {

class SimLoginItems : public platform::LoginItemService {
public:
    explicit SimLoginItems(Context& context) : context_(context) {}

    bool isAvailable() const override { return available_; }
    platform::LoginItemStatus status() const override { return status_; }
    bool registerApp(std::string& error) override { return call(true, error); }
    bool unregisterApp(std::string& error) override { return call(false, error); }

    void setStatus(platform::LoginItemStatus status) { status_ = status; }
    // Without the service (macOS 12), the program should call nothing.
    void setAvailable(bool available) { available_ = available; }
    // The next register or unregister fails with this description.
    void failNextCall(std::string description) { failure_ = std::move(description); }

private:
    bool call(bool registering, std::string& error);

    Context& context_;
    platform::LoginItemStatus status_ = platform::LoginItemStatus::notRegistered;
    bool available_ = true;
    std::optional<std::string> failure_;
};

class SimUpdater : public platform::Updater {
public:
    explicit SimUpdater(Context& context) : context_(context) {}
    std::unique_ptr<platform::UpdaterController> makeStandardController() override;

private:
    Context& context_;
};

class SimSystemLog : public platform::SystemLog {
public:
    explicit SimSystemLog(Context& context) : context_(context) {}
    void log(std::string_view line) override { context_.observer->logged(line); }

private:
    Context& context_;
};

class SimBundle : public platform::Bundle {
public:
    std::string localizedString(std::string_view key, std::string_view value) const override;
    void setStrings(strings::StringsTable table) { table_ = std::move(table); }

private:
    strings::StringsTable table_;
};

}  // namespace qm::sim
