#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "engine/stepping.h"
#include "scenario_harness.h"

namespace qm::test {
namespace {

// The tick a record belongs to, counted from the press that started the
// session: tick k fires 0.02 s * k after it.
long tickOf(const Json& record, double pressedAt) {
    return std::lround((record["t"].get<double>() - pressedAt) / stepping::tickInterval);
}

std::string pointerAt(double at, double x, double y) {
    return line(at, "\"move\": [" + std::to_string(x) + ", " + std::to_string(y) + "]");
}

// A session locked at (400, 300) at `start` with the pointer then resting at
// (dx, dy) from the anchor, ended at `end`.
std::string lockedAt(double start, double end, double dx, double dy, const std::string& trigger = R"("middle")") {
    return pointerAt(start, 400, 300) + line(start, "\"down\": " + trigger) + line(start, "\"up\": " + trigger) +
           pointerAt(start, 400 + dx, 300 + dy) + line(end, R"("end": true)");
}

// The wheel amounts posted after t, summed: {wheel1, wheel2}.
std::vector<int> travelAfter(const ScenarioRun& run, double t) {
    std::vector<int> sum{0, 0};
    for (const Json& record : run.records("scroll")) {
        if (record["t"].get<double>() <= t) continue;
        sum[0] += record["scroll"]["wheel1"].get<int>();
        sum[1] += record["scroll"]["wheel2"].get<int>();
    }
    return sum;
}

TEST(Stepping, TargetSpeedGrowsWithTheOffsetUpToTheCap) {
    struct Row {
        double offset;
        double speed;
    };
    const Row rows[] = {{10, 0},         {10.5, 0.4831},   {11, 1.32},       {20, 37.2027}, {50, 277.6904},
                        {100, 899.9649}, {200, 2659.2958}, {400, 7544.2767}, {484, 10000},  {5000, 10000}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.offset);
        // The wheel turns against the offset: below or right of the anchor scrolls negative.
        EXPECT_NEAR(stepping::targetVelocity(row.offset), -row.speed, 1e-4);
        EXPECT_NEAR(stepping::targetVelocity(-row.offset), row.speed, 1e-4);
    }
    EXPECT_EQ(stepping::targetVelocity(0), 0);
}

// Twenty ticks from rest: the velocity after tick k is the target times
// 1 - 0.75^k, so the travel is 0.02 s * target * (20 - 3 (1 - 0.75^20)), of
// which whole pixels go out, worked out by hand from the curve of each case.
TEST(Stepping, EachSettingStepsTwentyTicksAsWorkedOut) {
    struct Case {
        const char* stored;
        double dx, dy;
        std::vector<int> travel;  // wheel1 (vertical), wheel2 (horizontal)
    };
    const Case cases[] = {
        // Each axis has its own dead zone: five points aside never scroll sideways.
        {"{}", 5, 100, {-306, 0}},
        {"{}", -60, 35, {-47, 130}},
        {"{}", 700, -700, {3401, -3401}},  // the cap on both axes
        {R"({"scrollSpeed": 2.5})", 0, 120, {-1023, 0}},
        // Four times the speed reaches the cap sooner; the cap holds.
        {R"({"scrollSpeed": 4})", 0, 400, {-3401, 0}},
        {R"({"deadZone": 0})", 3, 5, {-4, -2}},
        {R"({"deadZone": 25})", 0, 30, {-4, 0}},
        {R"({"invertScrolling": true})", -60, 35, {47, -130}},
        {R"({"verticalOnly": true})", -60, 35, {-47, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.stored) + " at (" + std::to_string(c.dx) + ", " + std::to_string(c.dy) + ")");
        ScenarioRun run(launchedInEditor() + line(0, std::string(R"("defaults": )") + c.stored) +
                        lockedAt(1, 1.4, c.dx, c.dy));
        EXPECT_EQ(travelAfter(run, 1), c.travel);
        EXPECT_EQ(run.leftOver(), "");
    }
}

// Just outside the dead zone the speed is so low that whole pixels are rare:
// the fractions must be carried from tick to tick, not dropped.
TEST(Stepping, CreepingJustOutsideTheDeadZoneCarriesFractionsAcrossTicks) {
    ScenarioRun run(launchedInEditor() + lockedAt(1, 9, 11, 0));
    ASSERT_EQ(run.values("state"), (std::vector<Json>{"pressed", "locked"}));

    const auto scrolls = run.records("scroll");
    ASSERT_GE(scrolls.size(), 2u);
    EXPECT_EQ(tickOf(scrolls.front(), 1), 41);
    std::set<long> gaps;
    for (std::size_t i = 0; i < scrolls.size(); ++i) {
        EXPECT_EQ(scrolls[i]["scroll"], Json::parse(R"({"wheel1": 0, "wheel2": -1, "route": "hid"})"));
        if (i > 0) gaps.insert(tickOf(scrolls[i], 1) - tickOf(scrolls[i - 1], 1));
    }
    EXPECT_EQ(gaps, (std::set<long>{37, 38}));
    EXPECT_EQ(run.leftOver(), "");
}

// A dead zone wider than the offset keeps the pointer inside it: nothing scrolls.
TEST(Stepping, APointerInsideAWideDeadZoneScrollsNothing) {
    ScenarioRun run(launchedInEditor() + line(0, R"("defaults": {"deadZone": 40})") + lockedAt(1, 3, 39, -40));
    EXPECT_TRUE(run.records("scroll").empty());
    EXPECT_EQ(run.leftOver(), "");
}

// Leaving the dead zone sideways counts as moving, though vertical-only
// scrolling ignores that axis: the release ends the session instead of locking it.
TEST(Stepping, ASidewaysDragEndsOnReleaseWhenOnlyVerticalScrolls) {
    ScenarioRun run(launchedInEditor() + line(0, R"("defaults": {"verticalOnly": true})") + pointerAt(1, 400, 300) +
                    line(1, R"("down": "middle")") + pointerAt(1.02, 460, 300) + line(1.5, R"("up": "middle")"));
    EXPECT_EQ(run.values("state"), (std::vector<Json>{"pressed", "idle"}));
    EXPECT_TRUE(run.records("scroll").empty());
    EXPECT_TRUE(run.records("escTap").empty());
    EXPECT_EQ(run.leftOver(), "");
}

// The settings are read when a session starts and hold until it ends: a
// trigger moved to the back button during a locked session leaves the back
// button to the application until the next session.
TEST(Stepping, AChangeDuringASessionCountsFromTheNextSession) {
    const std::string locked =
        pointerAt(1, 400, 300) + line(1, R"("down": "middle")") + line(1, R"("up": "middle")") + pointerAt(1, 400, 420);
    const std::string rest = line(2, R"("down": 3)") + line(2.1, R"("up": 3)") + line(3, R"("key": 53)");
    ScenarioRun run(launchedInEditor() + locked +
                    line(1.5, R"("defaults": {"scrollSpeed": 4, "invertScrolling": true, "triggerButton": 3})") + rest);
    ScenarioRun plain(launchedInEditor() + locked + rest);
    EXPECT_EQ(run.records(), plain.records());

    // A hundred ticks at four times the speed, inverted: below the anchor scrolls up.
    run.then(lockedAt(4, 6, 0, 120, "3"));
    EXPECT_EQ(travelAfter(run, 4), (std::vector<int>{9342, 0}));
    EXPECT_EQ(run.leftOver(), "");
}

}  // namespace
}  // namespace qm::test
