#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/stepping_model.h"
#include "scenario_harness.h"

namespace qm::test {
namespace {

struct Case {
    const char* stored;  // the defaults line's object, or empty for nothing stored
    Settings settings;   // what the model steps with
    double dx, dy;       // where the pointer rests from the anchor
};

// A session locked at (400, 300) at t = 1 with the pointer then resting at
// (dx, dy) from the anchor, and two seconds of steps.
std::string lockedSession(const Case& c) {
    std::string text = launchedInEditor();
    if (*c.stored) text += line(0, std::string(R"("defaults": )") + c.stored);
    return text + line(1, R"("move": [400, 300])") + line(1, R"("down": "middle")") + line(1, R"("up": "middle")") +
           line(1, "\"move\": [" + std::to_string(400 + c.dx) + ", " + std::to_string(300 + c.dy) + "]") +
           line(3, R"("end": true)");
}

// "tick: wheel1 wheel2" for every step that posts, from the trace or the model.
std::vector<std::string> posted(const ScenarioRun& run) {
    std::vector<std::string> lines;
    for (const Json& record : run.records("scroll")) {
        const long tick = std::lround((record["t"].get<double>() - 1) / 0.02);
        lines.push_back(std::to_string(tick) + ": " + record["scroll"]["wheel1"].dump() + " " +
                        record["scroll"]["wheel2"].dump());
    }
    return lines;
}

std::vector<std::string> modelled(const Case& c) {
    SteppingModel model(c.settings);
    std::vector<std::string> lines;
    for (int tick = 1; tick <= 100; ++tick) {
        const auto w = model.step(c.dx, c.dy, 0.02);
        if (w.wheel1 != 0 || w.wheel2 != 0)
            lines.push_back(std::to_string(tick) + ": " + std::to_string(w.wheel1) + " " + std::to_string(w.wheel2));
    }
    return lines;
}

void expectAsModelled(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.stored) + " at (" + std::to_string(c.dx) + ", " + std::to_string(c.dy) + ")");
        ScenarioRun run(lockedSession(c));
        const auto expected = modelled(c);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(posted(run), expected);
        EXPECT_EQ(run.leftOver(), "");
    }
}

TEST(SettingsStepping, NothingStoredStepsAsTheFixedModel) {
    // Each axis has its own dead zone: five points aside never scroll sideways.
    expectAsModelled({{"", {}, 0, 120}, {"", {}, -60, 35}, {"", {}, 11, 0}, {"", {}, 5, 100}, {"", {}, 700, -700}});
}

TEST(SettingsStepping, EachSettingChangesTheStepsAsModelled) {
    expectAsModelled({
        {R"({"scrollSpeed": 0.25})", {.scrollSpeed = 0.25}, 0, 120},
        {R"({"scrollSpeed": 2.5})", {.scrollSpeed = 2.5}, 0, 120},
        // Four times the speed reaches the cap sooner; the cap holds.
        {R"({"scrollSpeed": 4})", {.scrollSpeed = 4}, 0, 400},
        {R"({"deadZone": 0})", {.deadZone = 0}, 3, 5},
        {R"({"deadZone": 25})", {.deadZone = 25}, 0, 30},
        {R"({"deadZone": 40})", {.deadZone = 40}, -45, 60},
        {R"({"invertScrolling": true})", {.invertScrolling = true}, -60, 35},
        {R"({"verticalOnly": true})", {.verticalOnly = true}, -60, 35},
        {R"({"scrollSpeed": 1.5, "deadZone": 5, "invertScrolling": true, "verticalOnly": true})",
         {.scrollSpeed = 1.5, .deadZone = 5, .invertScrolling = true, .verticalOnly = true},
         200,
         -90},
    });
}

// A dead zone wider than the offset keeps the pointer inside it: nothing scrolls.
TEST(SettingsStepping, APointerInsideAWideDeadZoneScrollsNothing) {
    ScenarioRun run(lockedSession({R"({"deadZone": 40})", {}, 39, -40}));
    EXPECT_TRUE(run.records("scroll").empty());
    EXPECT_EQ(run.leftOver(), "");
}

// Leaving the dead zone sideways counts as moving, though vertical-only
// scrolling ignores that axis: the release ends the session instead of locking it.
TEST(SettingsStepping, ASidewaysDragEndsOnReleaseWhenOnlyVerticalScrolls) {
    ScenarioRun run(launchedInEditor() + line(0, R"("defaults": {"verticalOnly": true})") +
                    line(1, R"("move": [400, 300])") + line(1, R"("down": "middle")") +
                    line(1.02, R"("move": [460, 300])") + line(1.5, R"("up": "middle")"));
    EXPECT_EQ(run.values("state"), (std::vector<Json>{"pressed", "idle"}));
    EXPECT_TRUE(run.records("scroll").empty());
    EXPECT_TRUE(run.records("escTap").empty());
    EXPECT_EQ(run.leftOver(), "");
}

// The settings are read when a session starts and hold until it ends.
TEST(SettingsStepping, AChangeDuringASessionCountsFromTheNextSession) {
    const std::string session = line(1, R"("move": [400, 300])") + line(1, R"("down": "middle")") +
                                line(1, R"("up": "middle")") + line(1, R"("move": [400, 420])") +
                                line(1.5, R"("defaults": {"scrollSpeed": 4, "invertScrolling": true})") +
                                line(3, R"("key": 53)");
    ScenarioRun run(launchedInEditor() + session);
    ScenarioRun plain(launchedInEditor() + line(1, R"("move": [400, 300])") + line(1, R"("down": "middle")") +
                      line(1, R"("up": "middle")") + line(1, R"("move": [400, 420])") + line(3, R"("key": 53)"));
    EXPECT_EQ(run.records(), plain.records());

    run.then(line(4, R"("move": [400, 300])") + line(4, R"("down": "middle")") + line(4, R"("up": "middle")") +
             line(4, R"("move": [400, 420])") + line(6, R"("key": 53)"));
    SteppingModel model({.scrollSpeed = 4, .invertScrolling = true});
    int travelled = 0, modelledTravel = 0;
    for (const Json& record : run.records("scroll"))
        if (record["t"].get<double>() > 4) travelled += record["scroll"]["wheel1"].get<int>();
    for (int tick = 1; tick <= 100; ++tick) modelledTravel += model.step(0, 120, 0.02).wheel1;
    EXPECT_GT(travelled, 0);  // inverted: below the anchor scrolls up
    EXPECT_EQ(travelled, modelledTravel);
    EXPECT_EQ(run.leftOver(), "");
}

}  // namespace
}  // namespace qm::test
