#pragma once

#include <string>
#include <string_view>

#include "platform/alerts.h"
#include "platform/main_queue.h"
#include "platform/services.h"

namespace qm::desktop {

// Tells the user in an alert that a choice of theirs could not be saved: a
// setting, or Launch at Login. The alert comes from the main loop, once
// whatever made the choice is done; the log has been told already.
class SaveFailureAlert {
public:
    SaveFailureAlert(platform::Alerts& alerts, platform::MainQueue& queue, const platform::Bundle& bundle)
        : alerts_(alerts), queue_(queue), bundle_(bundle) {}

    void settingsNotSaved(const std::string& reason) { show("save.settings", reason); }
    void loginItemNotSaved(const std::string& reason) { show("save.loginItem", reason); }

private:
    void show(std::string_view key, const std::string& reason);

    platform::Alerts& alerts_;
    platform::MainQueue& queue_;
    const platform::Bundle& bundle_;
};

// Launch at login that tells the user, besides the log, when it cannot be switched.
class AlertingLoginItems : public platform::LoginItemService {
public:
    AlertingLoginItems(platform::LoginItemService& items, SaveFailureAlert& alert) : items_(items), alert_(alert) {}

    platform::LoginItemStatus status() const override { return items_.status(); }
    bool registerApp(std::string& error) override { return told(items_.registerApp(error), error); }
    bool unregisterApp(std::string& error) override { return told(items_.unregisterApp(error), error); }

private:
    bool told(bool worked, const std::string& error) {
        if (!worked) alert_.loginItemNotSaved(error);
        return worked;
    }

    platform::LoginItemService& items_;
    SaveFailureAlert& alert_;
};

}  // namespace qm::desktop
