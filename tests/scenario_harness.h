#pragma once

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/app_delegate.h"
#include "platform/json/json_values.h"
#include "tools/runner.h"

namespace qm::test {

using json::Json;

// Runs the program in a fresh world driven by scenario text, in one portion
// or several: between portions a test may change the world where no scenario
// line can, or call the program directly. The clock carries on from one
// portion to the next, and every record of every portion is kept.
class ScenarioRun {
public:
    explicit ScenarioRun(const std::string& scenario = "");
    ScenarioRun(const ScenarioRun&) = delete;
    ScenarioRun& operator=(const ScenarioRun&) = delete;

    ScenarioRun& then(const std::string& scenario);

    // Every record, in order.
    const std::vector<Json>& records() const { return records_; }
    // The records carrying key, in order.
    std::vector<Json> records(const std::string& key) const;
    // The values of the records carrying key.
    std::vector<Json> values(const std::string& key) const;
    // The times of the records carrying key.
    std::vector<double> times(const std::string& key) const;
    // Where the first record carrying key sits; the number of records when none does.
    std::size_t indexOf(const std::string& key) const;

    sim::World& world() { return runner_.world(); }
    tools::Runner& runner() { return runner_; }
    AppDelegate& delegate() { return runner_.program()->delegate(); }
    ScrollController& engine() { return delegate().scrollController(); }
    // Ends the program and reports whatever the simulation still has out.
    std::string leftOver();

    // Told of each record as it is written, for a look at the world at that moment.
    std::function<void(const Json&)> watch;

private:
    std::ostringstream out_;
    tools::Runner runner_;
    std::vector<Json> records_;
};

// One line per button event an application received: "t pid type/button".
std::vector<std::string> deliveries(const ScenarioRun& run);

// One line per tap decision, "t tap type/button verdict", so that a test reads
// the whole exchange between the taps and the engine at a glance.
std::vector<std::string> decisions(const ScenarioRun& run);

// A scenario line: {"at": t, <action>}.
std::string line(double at, const std::string& action);

// A launch that is not the first: the onboarding flag is stored, so nothing
// comes to the front.
std::string laterLaunch();

// The lines every engine scenario starts with: trusted, onboarded, an editor
// frontmost (pid 501) with a window over the whole display, and the program launched.
std::string launchedInEditor();

}  // namespace qm::test
