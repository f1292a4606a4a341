#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "engine/stepping.h"
#include "scenario_harness.h"

namespace qm::test {
namespace {

const std::string kSmooth = line(0, R"("defaults": {"smoothScrolling": true})");

// A session locked at (400, 300) at `start` with the pointer then resting at
// (dx, dy) from the anchor, stepped until `end`.
std::string lockedUntil(double start, double end, double dx, double dy) {
    return line(start, R"("move": [400, 300])") + line(start, R"("down": "middle")") +
           line(start, R"("up": "middle")") +
           line(start, "\"move\": [" + std::to_string(400 + dx) + ", " + std::to_string(300 + dy) + "]") +
           line(end, R"("end": true)");
}

// The velocity from rest towards speed t seconds on: a quarter of the gap
// closed every 0.02 s, compounded, whatever the frame rate.
double curveSpeed(double speed, double t) {
    return speed * (1 - std::pow(0.75, t / 0.02));
}

// The distance travelled meanwhile, the integral of that curve.
double curveDistance(double speed, double t) {
    const double rate = std::log(1 / 0.75) / 0.02;
    return speed * (t - (1 - std::exp(-rate * t)) / rate);
}

struct Travel {
    double pixels = 0;    // the vertical travel posted, as a positive number
    double lastPost = 0;  // seconds after the start
    std::size_t posts = 0;
};

Travel travel(const ScenarioRun& run, double start) {
    Travel t;
    for (const Json& record : run.records("scroll")) {
        t.pixels -= record["scroll"]["wheel1"].get<int>();
        t.lastPost = record["t"].get<double>() - start;
        ++t.posts;
    }
    return t;
}

// The speed is the same whatever the display's rate and however unevenly its
// frames come: two seconds 100 points below the anchor travel the curve's
// distance, within one per cent.
TEST(SmoothStepping, TravelFollowsTheCurveAtEveryRefreshRate) {
    const double speed = 899.9649;  // 100 points from the anchor
    for (const char* rate : {"60", "120", "144", R"({"hz": 60, "jitter": 0.004, "seed": 7})",
                             R"({"hz": 144, "jitter": 0.003, "seed": 8})", R"({"hz": 59.94})"}) {
        SCOPED_TRACE(rate);
        ScenarioRun run(launchedInEditor() + kSmooth + line(0, std::string(R"("refreshRate": )") + rate) +
                        lockedUntil(1, 3, 0, 100));
        const Travel t = travel(run, 1);
        ASSERT_GT(t.posts, 100u);
        const double curve = curveDistance(speed, t.lastPost);
        EXPECT_NEAR(t.pixels, curve, curve * 0.01) << "after " << t.lastPost << " s";
        EXPECT_EQ(run.leftOver(), "");
    }
}

// Every frame steps by the real interval since the one before: each posts
// the whole pixels the curve has travelled since the last, the distance of a
// frame being its interval at the curve's speed at its end.
TEST(SmoothStepping, EachFrameStepsByItsOwnInterval) {
    ScenarioRun run(launchedInEditor() + kSmooth +
                    line(0, R"("refreshRate": {"hz": 120, "jitter": 0.002, "seed": 3})") +
                    lockedUntil(1, 1.5, 30, -250));
    const double speedX = stepping::targetVelocity(30), speedY = stepping::targetVelocity(-250);
    std::vector<std::string> expected;
    double previous = 1, x = 0, y = 0;
    long postedX = 0, postedY = 0;
    bool uneven = false;  // else the test could not tell a frame's interval from the rate's
    auto& links = run.world().displayLinks();
    for (sim::Micros frame = links.nextFrame(1'000'000); frame <= 1'500'000; frame = links.nextFrame(frame)) {
        const double t = frame / 1e6;
        uneven = uneven || std::abs(t - previous - 1 / 120.0) > 0.001;
        x += curveSpeed(speedX, t - 1) * (t - previous);
        y += curveSpeed(speedY, t - 1) * (t - previous);
        previous = t;
        const long wheelX = std::lround(std::trunc(x)) - postedX, wheelY = std::lround(std::trunc(y)) - postedY;
        if (wheelX == 0 && wheelY == 0) continue;
        postedX += wheelX, postedY += wheelY;
        expected.push_back(std::to_string(frame) + ": " + std::to_string(wheelY) + " " + std::to_string(wheelX));
    }
    std::vector<std::string> actual;
    for (const Json& record : run.records("scroll"))
        actual.push_back(std::to_string(std::lround(record["t"].get<double>() * 1e6)) + ": " +
                         record["scroll"]["wheel1"].dump() + " " + record["scroll"]["wheel2"].dump());
    EXPECT_EQ(actual, expected);
    EXPECT_TRUE(uneven);
    EXPECT_EQ(run.leftOver(), "");
}

// Just outside the dead zone a frame moves a small fraction of a pixel; the
// fractions add up across frames into single pixels at the curve's pace.
TEST(SmoothStepping, ACreepCarriesFractionsAcrossFrames) {
    ScenarioRun run(launchedInEditor() + kSmooth + line(0, R"("refreshRate": 144)") + lockedUntil(1, 11, 11, 0));
    const auto scrolls = run.values("scroll");
    const double expected = curveDistance(1.32, 10);
    EXPECT_NEAR(static_cast<double>(scrolls.size()), expected, 1.0);
    for (const Json& scroll : scrolls) EXPECT_EQ(scroll, Json::parse(R"({"wheel1": 0, "wheel2": -1, "route": "hid"})"));
    EXPECT_EQ(run.leftOver(), "");
}

std::vector<std::string> timeline(const ScenarioRun& run, const std::set<std::string>& keys) {
    std::vector<std::string> lines;
    for (const Json& record : run.records())
        for (const auto& key : keys)
            if (record.contains(key))
                lines.push_back(json::dumpLine(record["t"]) + " " + key + " " + json::dumpLine(record[key]));
    return lines;
}

// The display is followed only while a session runs: idle, the program wakes
// no more often than the watchdog asks.
TEST(SmoothStepping, TheDisplayLinkRunsOnlyDuringSessions) {
    ScenarioRun run(launchedInEditor() + kSmooth + line(1, R"("move": [400, 300])") + line(1, R"("down": "middle")") +
                    line(1.1, R"("move": [400, 400])") + line(1.5, R"("up": "middle")") +
                    line(2, R"("down": "middle")") + line(2, R"("up": "middle")") + line(2.5, R"("key": 53)") +
                    line(3, R"("down": "middle")") + line(3.2, R"("menu": "toggleEnabled")") +
                    line(3.3, R"("up": "middle")"));
    EXPECT_EQ(timeline(run, {"displayLink", "state"}),
              (std::vector<std::string>{"1.0 state \"pressed\"", "1.0 displayLink true", "1.5 displayLink false",
                                        "1.5 state \"idle\"", "2.0 state \"pressed\"", "2.0 displayLink true",
                                        "2.0 state \"locked\"", "2.5 displayLink false", "2.5 state \"idle\"",
                                        "3.0 state \"pressed\"", "3.0 displayLink true", "3.2 displayLink false",
                                        "3.2 state \"idle\""}));

    auto& world = run.world();
    const std::size_t before = world.runLoop().firings();
    run.then(line(3603.3, R"("menu": "toggleEnabled")"));
    EXPECT_EQ(world.runLoop().firings() - before, 0u);  // switched off: not even the watchdog
    const std::size_t on = world.runLoop().firings(), events = world.ledger().createdCount(sim::Ledger::event);
    run.then(line(7203.3, R"("end": true)"));
    // The watchdog's, and nothing else: it looks at the taps and makes nothing.
    EXPECT_EQ(world.runLoop().firings() - on, 120u);
    EXPECT_EQ(world.ledger().createdCount(sim::Ledger::event), events);
    EXPECT_EQ(world.ledger().live(sim::Ledger::displayLink), 0u);
    EXPECT_EQ(run.leftOver(), "");
}

// A frame after a stall moves no further than 50 ms would at the cap: the
// scrolling slows for a moment instead of jumping, and the wheel amounts stay
// far inside what an event can carry.
TEST(SmoothStepping, ALateFrameCountsAsNoLongerThanFiftyMilliseconds) {
    ScenarioRun run(launchedInEditor() + kSmooth + line(0, R"("refreshRate": 1)") + lockedUntil(1, 30, 0, 700));
    const auto scrolls = run.values("scroll");
    ASSERT_EQ(scrolls.size(), 29u);
    for (const Json& scroll : scrolls) EXPECT_GE(scroll["wheel1"].get<int>(), -500);
    EXPECT_LE(scrolls.back()["wheel1"].get<int>(), -499);
    EXPECT_EQ(run.leftOver(), "");
}

// Where no display can be followed, the session steps on the fixed timer,
// exactly as with smooth scrolling off.
TEST(SmoothStepping, WithoutADisplayLinkTheTimerSteps) {
    ScenarioRun plain(launchedInEditor() + lockedUntil(1, 2, 40, 90));
    ScenarioRun run(launchedInEditor() + kSmooth);
    run.world().displayLinks().setCreationFails(true);
    run.then(lockedUntil(1, 2, 40, 90));
    EXPECT_TRUE(run.records("displayLink").empty());
    EXPECT_EQ(run.values("scroll"), plain.values("scroll"));
    EXPECT_EQ(run.times("scroll"), plain.times("scroll"));
    EXPECT_EQ(run.leftOver(), "");
}

}  // namespace
}  // namespace qm::test
