#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "tools/json_values.h"
#include "tools/runner.h"

namespace qm::test {

using tools::Json;

// Runs a scenario in a fresh world and keeps both the trace and the world.
class ScenarioRun {
public:
    explicit ScenarioRun(const std::string& scenario);

    // Every record, in order.
    const std::vector<Json>& records() const { return records_; }
    // The records carrying key, in order.
    std::vector<Json> records(const std::string& key) const;
    // The values of the records carrying key.
    std::vector<Json> values(const std::string& key) const;

    sim::World& world() { return runner_.world(); }
    tools::Runner& runner() { return runner_; }
    // Ends the program and reports whatever the simulation still has out.
    std::string leftOver();

private:
    std::ostringstream out_;
    tools::Runner runner_;
    std::vector<Json> records_;
};

// A scenario line: {"at": t, <action>}.
std::string line(double at, const std::string& action);

// The lines every engine scenario starts with: trusted, onboarded, an editor
// frontmost (pid 501) with a window over the whole display, and the program launched.
std::string launchedInEditor();

}  // namespace qm::test
