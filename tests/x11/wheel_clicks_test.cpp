#include "platform/x11/x11_wheel_clicks.h"

#include <gtest/gtest.h>

#include <random>

namespace qm::x11 {
namespace {

// Whatever amounts a long session posts one way, the clicks add up to the
// whole clicks in their sum: nothing is lost or made up by rounding.
TEST(WheelClicks, ALongSessionLosesNoClick) {
    std::mt19937 random(12);
    for (const int perClick : {1, 7, 40, 41, 120}) {
        for (const int sign : {1, -1}) {
            WheelClicks clicks(perClick);
            long pixels = 0, posted = 0;
            for (int tick = 0; tick < 20000; ++tick) {
                const int amount = sign * std::uniform_int_distribution<int>(0, 200)(random);
                pixels += amount;
                posted += clicks.add(amount);
            }
            EXPECT_EQ(posted, pixels / perClick) << perClick << " pixels a click";
        }
    }
}

TEST(WheelClicks, WhatIsLeftWaitsAndTurningBackUsesItUp) {
    WheelClicks clicks(40);
    EXPECT_EQ(clicks.add(39), 0);
    EXPECT_EQ(clicks.add(1), 1);
    EXPECT_EQ(clicks.add(-200), -5);
    // 30 pixels down are pending; 50 up cancel them and leave 20 up.
    EXPECT_EQ(clicks.add(-30), 0);
    EXPECT_EQ(clicks.add(50), 0);
    EXPECT_EQ(clicks.add(20), 1);
    // A setting of nothing still moves.
    EXPECT_EQ(WheelClicks(0).add(3), 3);
}

}  // namespace
}  // namespace qm::x11
