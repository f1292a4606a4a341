#include "scenario_harness.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tools/strings_loading.h"
#include "tools/trace.h"

namespace qm::test {

ScenarioRun::ScenarioRun(const std::string& scenario)
    : runner_(out_, strings::parseStringsTable(tools::shippedStrings())) {
    runner_.trace().setListener([this](const Json& record) {
        // A record missing from the list is missing from run --help and from docs/scenarios.md too.
        static const std::vector<std::string> names = tools::recordNames();
        for (const auto& [key, value] : record.items())
            if (key != "t" && std::find(names.begin(), names.end(), key) == names.end())
                ADD_FAILURE() << "a record not among recordNames(): " << key;
        records_.push_back(record);
        if (watch) watch(record);
    });
    then(scenario);
}

ScenarioRun& ScenarioRun::then(const std::string& scenario) {
    std::istringstream in(scenario);
    runner_.run(tools::parseScenario(in));
    return *this;
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

std::vector<double> ScenarioRun::times(const std::string& key) const {
    std::vector<double> found;
    for (const Json& record : records(key)) found.push_back(record["t"].get<double>());
    return found;
}

std::size_t ScenarioRun::indexOf(const std::string& key) const {
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (records_[i].contains(key)) return i;
    return records_.size();
}

std::string ScenarioRun::leftOver() {
    runner_.shutDown();
    return runner_.world().ledger().outstanding();
}

std::vector<std::string> deliveries(const ScenarioRun& run) {
    std::vector<std::string> out;
    for (const Json& record : run.records("delivered")) {
        const Json& d = record["delivered"];
        out.push_back(record["t"].dump() + " " + d["pid"].dump() + " " + d["type"].dump() + "/" + d["button"].dump());
    }
    return out;
}

std::vector<std::string> decisions(const ScenarioRun& run) {
    std::vector<std::string> out;
    for (const Json& record : run.records("tapped")) {
        const Json& d = record["tapped"];
        std::string text = record["t"].dump() + " " + d["tap"].get<std::string>() + " " + d["type"].dump();
        if (d.contains("button")) text += "/" + d["button"].dump();
        out.push_back(text + " " + d["verdict"].get<std::string>());
    }
    return out;
}

std::string line(double at, const std::string& action) {
    std::ostringstream text;
    text << "{\"at\": " << at << ", " << action << "}\n";
    return text.str();
}

std::string laterLaunch() {
    return line(0, R"("defaults": {"didShowOnboarding": true})") + line(0, R"("launch": true)");
}

std::string launchedInEditor() {
    return line(0, R"("trusted": true)") +
           line(0, R"("frontmost": {"bundle": "com.apple.TextEdit", "name": "TextEdit", "pid": 501})") +
           line(0, R"("window": {"id": 1, "pid": 501, "layer": 0, "bounds": [0, 0, 1440, 900]})") + laterLaunch();
}

}  // namespace qm::test
