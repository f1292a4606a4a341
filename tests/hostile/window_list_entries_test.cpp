#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

#include "scenario_harness.h"

namespace qm::test {
namespace {

using platform::Value;

// An editor window (pid 777) under the upper-left part of the display, with a
// raw window-list entry in front of it covering the same place.
std::string editorBehind(const std::string& entry) {
    return line(0, R"("trusted": true)") +
           line(0, R"("frontmost": {"bundle": "com.example.Editor", "name": "Editor", "pid": 777})") +
           line(0, R"("window": {"id": 1, "pid": 777, "layer": 0, "bounds": [0, 0, 600, 600]})") +
           (entry.empty() ? "" : line(0, R"("windowInfo": )" + entry));
}

// A middle press inside both, then the pointer held below the editor window,
// so that the scrolling is addressed to whichever window the session chose.
std::string pressAndLeave() {
    return laterLaunch() + line(1, R"("move": [300, 300])") + line(1, R"("down": "middle")") +
           line(1.2, R"("move": [300, 750])") + line(1.3, R"("up": "middle")");
}

// The route of the last scroll, with the window it names when posted to a process.
std::string lastRoute(const std::vector<Json>& scrolls) {
    if (scrolls.empty()) return "no scrolling";
    const Json& last = scrolls.back();
    if (last["route"] != "pid") return last["route"].get<std::string>();
    return "pid " + last["pid"].dump() + (last.contains("window") ? " window " + last["window"].dump() : "");
}

TEST(WindowListEntries, MalformedEntryInFrontIsPassedOverForTheWindowBehind) {
    const char* bounds = R"("kCGWindowBounds": {"X": 0, "Y": 0, "Width": 600, "Height": 600})";
    const auto entry = [&](const std::string& layer, const std::string& pid) {
        std::string text = "{";
        if (!layer.empty()) text += R"("kCGWindowLayer": )" + layer + ", ";
        if (!pid.empty()) text += R"("kCGWindowOwnerPID": )" + pid + ", ";
        return text + bounds + "}";
    };
    const auto withBounds = [](const std::string& value) {
        return R"({"kCGWindowLayer": 0, "kCGWindowOwnerPID": 888, "kCGWindowBounds": )" + value + "}";
    };
    const auto withNumber = [&](const std::string& number) {
        return R"({"kCGWindowNumber": )" + number + R"(, "kCGWindowLayer": 0, "kCGWindowOwnerPID": 888, )" + bounds +
               "}";
    };
    const std::string entries[][3] = {
        // A layer only counts when it is a whole number other than 0. Which
        // values read as whole numbers, and as bounds, LooseValues tells.
        {"layer 0", entry("0", "888"), "pid 888"},
        {"layer absent", entry("", "888"), "pid 888"},
        {"layer a fraction", entry("1.5", "888"), "pid 888"},
        {"layer 25", entry("25", "888"), "pid 777 window 1"},
        {"layer -1", entry("-1", "888"), "pid 777 window 1"},
        {"pid absent", entry("0", ""), "pid 777 window 1"},
        {"pid a fraction", entry("0", "888.5"), "pid 777 window 1"},
        {"pid past 32 bits", entry("0", "4294967297"), "pid 777 window 1"},
        {"pid past 32 bits, own pid when cut", entry("0", "4294968296"), "pid 777 window 1"},
        {"pid of the program itself", entry("0", "1000"), "pid 777 window 1"},
        {"bounds absent", R"({"kCGWindowLayer": 0, "kCGWindowOwnerPID": 888})", "pid 777 window 1"},
        {"bounds a string", withBounds(R"("0, 0, 600, 600")"), "pid 777 window 1"},
        {"an empty entry", "{}", "pid 777 window 1"},
        // A window number the entry cannot give leaves the window unnamed, not the target unchosen.
        {"number 5", withNumber("5"), "pid 888 window 5"},
        {"number 0, no window's", withNumber("0"), "pid 888"},
        {"number negative", withNumber("-5"), "pid 888"},
        {"number past 32 bits", withNumber("4294967296"), "pid 888"},
    };
    for (const auto& [name, text, route] : entries) {
        SCOPED_TRACE(name);
        ScenarioRun run(editorBehind(text) + pressAndLeave());
        EXPECT_EQ(run.values("state").front(), "pressed");
        EXPECT_EQ(lastRoute(run.values("scroll")), route);
        EXPECT_EQ(run.leftOver(), "");
    }
}

// What a scenario cannot write: entries that are not dictionaries at all, or no list.
TEST(WindowListEntries, NonDictionaryEntriesAndAMissingListAreSurvived) {
    const auto routeWith = [](const std::function<void(sim::World&)>& prepare) {
        ScenarioRun run;
        prepare(run.world());
        run.then(editorBehind("") + pressAndLeave());
        const std::string route = lastRoute(run.values("scroll"));
        EXPECT_EQ(run.leftOver(), "");
        return route;
    };
    EXPECT_EQ(routeWith([](sim::World& world) {
                  for (Value junk : {Value(), Value("window"), Value(888), Value(Value::Array{Value::Dictionary{}})})
                      world.windows().putWindowInfo(junk);
              }),
              "pid 777 window 1");
    EXPECT_EQ(routeWith([](sim::World& world) { world.windows().setListUnavailable(true); }), "hid");
}

}  // namespace
}  // namespace qm::test
