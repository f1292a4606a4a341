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

}  // namespace
}  // namespace qm::test
