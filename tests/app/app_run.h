#pragma once

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sim/sim_status_bar.h"
#include "scenario_harness.h"
#include "tools/scenario.h"

namespace qm::test {

// A scenario run in portions, so that a test can change the world between
// them where no scenario line can, or call the program directly; the clock
// carries on from one portion to the next. Every record is kept, including
// those of later portions, which ScenarioRun alone does not see.
class AppRun {
public:
    AppRun() : run_("") {
        run_.runner().trace().setListener([this](const Json& record) {
            records_.push_back(record);
            if (watch) watch(record);
        });
    }
    AppRun(const AppRun&) = delete;
    AppRun& operator=(const AppRun&) = delete;

    AppRun& then(const std::string& scenario) {
        std::istringstream in(scenario);
        run_.runner().run(tools::parseScenario(in));
        return *this;
    }

    const std::vector<Json>& records() const { return records_; }
    std::vector<Json> values(const std::string& key) const {
        std::vector<Json> found;
        for (const Json& record : records_)
            if (record.contains(key)) found.push_back(record[key]);
        return found;
    }
    // The times of the records carrying key.
    std::vector<double> times(const std::string& key) const {
        std::vector<double> found;
        for (const Json& record : records_)
            if (record.contains(key)) found.push_back(record["t"].get<double>());
        return found;
    }
    // Where the first record carrying key sits; the number of records when none does.
    std::size_t indexOf(const std::string& key) const {
        for (std::size_t i = 0; i < records_.size(); ++i)
            if (records_[i].contains(key)) return i;
        return records_.size();
    }
    // The last menu record, as the user last saw the menu.
    Json lastMenu() const {
        const auto menus = values("menu");
        return menus.empty() ? Json() : menus.back();
    }

    // The menu items as they are now, whether or not the menu has been opened since.
    const sim::SimMenuItem& item(std::size_t row) { return *world().statusBar().item()->menu()->items().at(row); }

    sim::World& world() { return run_.world(); }
    tools::Runner& runner() { return run_.runner(); }
    AppDelegate& delegate() { return run_.runner().program()->delegate(); }
    std::string leftOver() { return run_.leftOver(); }

    // Told of each record as it is written, for a look at the world at that moment.
    std::function<void(const Json&)> watch;

private:
    ScenarioRun run_;
    std::vector<Json> records_;
};

// Rows of the status menu.
enum Row : std::size_t {
    enableRow = 0,
    excludeRow = 1,
    loginRow = 3,
    gettingStartedRow = 4,
    updatesRow = 6,
    quitRow = 8
};

inline Json menuEntry(const std::string& title, bool on, bool enabled) {
    return {{"title", title}, {"on", on}, {"enabled", enabled}};
}

inline const std::string kTrusted = line(0, R"("trusted": true)");
inline const std::string kOnboarded = line(0, R"("defaults": {"didShowOnboarding": true})");
inline const std::string kLaunch = line(0, R"("launch": true)");
inline const std::string kSettingsURL = "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";

}  // namespace qm::test
