#include "scenario_harness.h"

#include <sstream>

#include "tools/strings_loading.h"

namespace qm::test {

ScenarioRun::ScenarioRun(const std::string& scenario) : runner_(out_, sim::parseStringsTable(tools::shippedStrings())) {
    std::istringstream in(scenario);
    runner_.run(tools::parseScenario(in));
    std::istringstream trace(out_.str());
    for (std::string text; std::getline(trace, text);) records_.push_back(Json::parse(text));
}

std::vector<Json> ScenarioRun::records(const std::string& key) const {
    std::vector<Json> found;
    for (const Json& record : records_)
        if (record.contains(key)) found.push_back(record);
    return found;
}

std::vector<Json> ScenarioRun::values(const std::string& key) const {
    std::vector<Json> found;
    for (const Json& record : records(key)) found.push_back(record[key]);
    return found;
}

std::string ScenarioRun::leftOver() {
    runner_.shutDown();
    return runner_.world().ledger().outstanding();
}

std::string line(double at, const std::string& action) {
    std::ostringstream text;
    text << "{\"at\": " << at << ", " << action << "}\n";
    return text.str();
}

std::string launchedInEditor() {
    return line(0, R"("trusted": true)") + line(0, R"("defaults": {"didShowOnboarding": true})") +
           line(0, R"("frontmost": {"bundle": "com.apple.TextEdit", "name": "TextEdit", "pid": 501})") +
           line(0, R"("window": {"id": 1, "pid": 501, "layer": 0, "bounds": [0, 0, 1440, 900]})") +
           line(0, R"("launch": true)");
}

}  // namespace qm::test
