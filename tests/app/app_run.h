#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "platform/sim/sim_status_bar.h"
#include "scenario_harness.h"
#include "tools/scenario.h"

namespace qm::test {

// A scenario run with a look at the status menu.
class AppRun : public ScenarioRun {
public:
    AppRun& then(const std::string& scenario) {
        ScenarioRun::then(scenario);
        return *this;
    }
    // The last menu record, as the user last saw the menu.
    Json lastMenu() const {
        const auto menus = values("menu");
        return menus.empty() ? Json() : menus.back();
    }
    // The menu items as they are now, whether or not the menu has been opened since.
    const sim::SimMenuItem& item(std::size_t row) { return *world().statusBar().item()->menu()->items().at(row); }
};

// Rows of the status menu.
enum Row : std::size_t {
    enableRow = 0,
    excludeRow = 1,
    loginRow = 3,
    gettingStartedRow = 4,
    settingsRow = 5,
    updatesRow = 7,
    quitRow = 9
};

inline Json menuEntry(const std::string& title, bool on, bool enabled) {
    return {{"title", title}, {"on", on}, {"enabled", enabled}};
}

inline const std::string kTrusted = line(0, R"("trusted": true)");
inline const std::string kOnboarded = line(0, R"("defaults": {"didShowOnboarding": true})");
inline const std::string kLaunch = line(0, R"("launch": true)");
inline const std::string kSettingsURL = "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";

}  // namespace qm::test
