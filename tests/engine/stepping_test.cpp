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

std::string pointerAt(double at, int x, int y) {
    return line(at, "\"move\": [" + std::to_string(x) + ", " + std::to_string(y) + "]");
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

// Just outside the dead zone the speed is so low that whole pixels are rare:
// the fractions must be carried from tick to tick, not dropped.
TEST(Stepping, CreepingJustOutsideTheDeadZoneCarriesFractionsAcrossTicks) {
    ScenarioRun run(launchedInEditor() + pointerAt(1, 400, 300) + line(1, R"("down": "middle")") +
                    line(1, R"("up": "middle")") + pointerAt(1, 411, 300) + line(9, R"("end": true)"));
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

TEST(Stepping, FarDragRampsUpToTheCapAndSettlesOnIt) {
    ScenarioRun run(launchedInEditor() + pointerAt(1, 400, 100) + line(1, R"("down": "middle")") +
                    pointerAt(1, 400, 700) + line(5, R"("up": "middle")"));
    const auto scrolls = run.records("scroll");
    // Every one of the 200 ticks has whole pixels to post.
    ASSERT_EQ(scrolls.size(), 200u);
    EXPECT_EQ(scrolls.front()["scroll"]["wheel1"], -50);
    EXPECT_EQ(tickOf(scrolls.front(), 1), 1);

    long firstAtCap = 0, last199 = 0;
    for (const Json& record : scrolls) {
        const Json& scroll = record["scroll"];
        EXPECT_EQ(scroll["wheel2"], 0);
        EXPECT_EQ(scroll["route"], "hid");
        EXPECT_GE(scroll["wheel1"].get<int>(), -200);
        if (scroll["wheel1"] == -200 && firstAtCap == 0) firstAtCap = tickOf(record, 1);
        if (scroll["wheel1"] == -199) last199 = tickOf(record, 1);
    }
    EXPECT_EQ(firstAtCap, 21);
    EXPECT_EQ(last199, 140);
    EXPECT_EQ(run.values("state"), (std::vector<Json>{"pressed", "idle"}));
    EXPECT_EQ(run.leftOver(), "");
}

TEST(Stepping, EachAxisIsJudgedOnItsOwnAndBothTravelInOneEvent) {
    // Up and to the left of the anchor by the same distance: equal and opposite wheels.
    ScenarioRun diagonal(launchedInEditor() + pointerAt(1, 400, 300) + line(1, R"("down": "middle")") +
                         pointerAt(1, 300, 400) + line(1.5, R"("up": "middle")"));
    const auto both = diagonal.values("scroll");
    ASSERT_FALSE(both.empty());
    for (const Json& scroll : both) {
        EXPECT_GT(scroll["wheel2"].get<int>(), 0);
        EXPECT_EQ(scroll["wheel1"], -scroll["wheel2"].get<int>());
    }
    EXPECT_EQ(diagonal.leftOver(), "");

    // Five points aside stays inside the dead zone on that axis: it never scrolls.
    ScenarioRun vertical(launchedInEditor() + pointerAt(1, 400, 300) + line(1, R"("down": "middle")") +
                         pointerAt(1, 405, 400) + line(1.5, R"("up": "middle")"));
    const auto down = vertical.values("scroll");
    ASSERT_FALSE(down.empty());
    for (const Json& scroll : down) {
        EXPECT_EQ(scroll["wheel2"], 0);
        EXPECT_LT(scroll["wheel1"].get<int>(), 0);
    }
    EXPECT_EQ(vertical.leftOver(), "");
}

}  // namespace
}  // namespace qm::test
