#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "platform/sim/world.h"
#include "scenario_harness.h"
#include "settings/settings.h"

namespace qm::test {
namespace {

using platform::Value;

// What the settings read as with one value stored under one key.
Settings readWith(std::string_view key, Value stored) {
    sim::World world;
    world.defaults().put(key, std::move(stored));
    return Settings::read(world.defaults());
}

// A hand-edited or foreign value must never steer the engine somewhere the
// window cannot: a wrong type is the default, a number too large or too
// small the nearer end of its range.
TEST(StoredSettings, NumbersAreClampedAndEverythingElseReadsAsTheDefault) {
    const double nan = std::nan(""), infinity = std::numeric_limits<double>::infinity();
    const struct {
        Value stored;
        double speed;
    } speeds[] = {{2.5, 2.5},
                  {3, 3},
                  {0.1, 0.25},
                  {-1, 0.25},
                  {1e308, 4},
                  {int64_t{1} << 62, 4},
                  {nan, 1},
                  {infinity, 1},
                  {-infinity, 1},
                  {true, 1},
                  {"2", 1},
                  {Value::Array{2}, 1},
                  {Value::Dictionary{{"value", 2}}, 1}};
    for (const auto& [stored, speed] : speeds)
        EXPECT_EQ(readWith(settings_key::scrollSpeed, stored).scrollSpeed, speed);

    const struct {
        Value stored;
        double zone;
    } zones[] = {{0, 0}, {25.5, 25.5}, {40, 40}, {41, 40}, {-3, 0}, {nan, 10}, {false, 10}, {"15", 10}};
    for (const auto& [stored, zone] : zones) EXPECT_EQ(readWith(settings_key::deadZone, stored).deadZone, zone);

    const struct {
        Value stored;
        int button;
    } buttons[] = {{2, 2}, {3, 3}, {4, 4}, {4.0, 4}, {3.5, 2}, {1, 2}, {5, 2}, {-3, 2}, {true, 2}, {"3", 2}};
    for (const auto& [stored, button] : buttons)
        EXPECT_EQ(readWith(settings_key::triggerButton, stored).triggerButton, button);

    // A flag is a boolean; a number or a word that other readers would take for one is not.
    for (const auto key : {settings_key::invertScrolling, settings_key::verticalOnly, settings_key::smoothScrolling}) {
        SCOPED_TRACE(key);
        for (const Value& stored : {Value(1), Value(1.0), Value("YES"), Value("true"), Value(Value::Array{true})})
            EXPECT_EQ(readWith(key, stored), Settings{});
        EXPECT_NE(readWith(key, true), Settings{});
    }
}

// Bad values steer nothing and are left where they are: the program writes
// no default on their account, and the session runs on the defaults.
TEST(StoredSettings, BadValuesAreNeitherRewrittenNorObeyed) {
    const std::string drag = line(1, R"("move": [400, 300])") + line(1, R"("down": "middle")") +
                             line(1, R"("move": [400, 420])") + line(2, R"("up": "middle")");
    ScenarioRun plain(launchedInEditor() + drag);
    ScenarioRun spoiled(launchedInEditor() +
                        line(0, R"("defaults": {"scrollSpeed": "fast", "deadZone": [10], "triggerButton": 2.5,)"
                                R"( "invertScrolling": 1, "verticalOnly": "yes", "smoothScrolling": {}})") +
                        drag);
    EXPECT_TRUE(spoiled.values("defaults").empty());
    EXPECT_FALSE(plain.values("scroll").empty());
    EXPECT_EQ(spoiled.records(), plain.records());
    EXPECT_EQ(*spoiled.world().defaults().get(settings_key::scrollSpeed)->asString(), "fast");
    EXPECT_EQ(spoiled.leftOver(), "");
}

}  // namespace
}  // namespace qm::test
