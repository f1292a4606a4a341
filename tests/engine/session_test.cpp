#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scenario_harness.h"

namespace qm::test {
namespace {

using Lines = std::vector<std::string>;

// A session locked at (400, 300) at t = 1, the pointer then 120 points below.
std::string lockedSession() {
    return launchedInEditor() + line(1, R"("move": [400, 300])") + line(1, R"("down": "middle")") +
           line(1.1, R"("up": "middle")") + line(1.2, R"("move": [400, 420])");
}

std::size_t scrollsAfter(const ScenarioRun& run, double t) {
    std::size_t n = 0;
    for (const Json& record : run.records("scroll")) n += record["t"].get<double>() > t;
    return n;
}

TEST(Session, HoldAndDragEndsOnTheRelease) {
    ScenarioRun run(launchedInEditor() + line(1, R"("move": [400, 300])") + line(1, R"("down": "middle")") +
                    line(1.1, R"("move": [520, 300])") + line(1.5, R"("up": "middle")") + line(2, R"("end": true)"));
    EXPECT_EQ(run.values("state"), (std::vector<Json>{"pressed", "idle"}));
    EXPECT_EQ(decisions(run), (Lines{"1.0 mouse 25/2 consume", "1.5 mouse 26/2 consume"}));
    EXPECT_EQ(deliveries(run), Lines{});
    EXPECT_EQ(run.values("marker"), (std::vector<Json>{Json::parse(R"({"frame": [380, 580, 40, 40]})"), nullptr}));
    EXPECT_TRUE(run.records("escTap").empty());
    EXPECT_GT(run.records("scroll").size(), 0u);
    EXPECT_EQ(scrollsAfter(run, 1.5), 0u);
    EXPECT_EQ(run.leftOver(), "");

    // Barely out of the dead zone nothing has scrolled yet, but the pointer has
    // left it, so the release still ends the session instead of locking it.
    ScenarioRun creep(launchedInEditor() + line(1, R"("move": [400, 300])") + line(1, R"("down": "middle")") +
                      line(1, R"("move": [411, 300])") + line(1.04, R"("up": "middle")"));
    EXPECT_EQ(creep.values("state"), (std::vector<Json>{"pressed", "idle"}));
    EXPECT_TRUE(creep.records("scroll").empty());
    EXPECT_EQ(creep.leftOver(), "");
}

TEST(Session, LockedSessionEndsOnTheNextMiddlePressAndItsReleaseGoesThrough) {
    ScenarioRun run(lockedSession() + line(1.5, R"("down": "middle")") + line(1.6, R"("up": "middle")") +
                    line(2, R"("end": true)"));
    EXPECT_EQ(run.values("state"), (std::vector<Json>{"pressed", "locked", "idle"}));
    EXPECT_EQ(decisions(run), (Lines{"1.0 mouse 25/2 consume", "1.1 mouse 26/2 consume", "1.5 mouse 25/2 consume",
                                     "1.6 mouse 26/2 pass"}));
    EXPECT_EQ(deliveries(run), (Lines{"1.6 501 26/2"}));
    EXPECT_EQ(run.values("escTap"), (std::vector<Json>{true, false}));
    EXPECT_GT(run.records("scroll").size(), 0u);
    EXPECT_EQ(scrollsAfter(run, 1.5), 0u);
    EXPECT_EQ(run.leftOver(), "");
}

// Only a locked session listens to left and right presses, through a tap of
// their own that goes with the session: every other click reaches the
// application without waiting on the program.
TEST(Session, LeftOrRightPressEndsALockedSessionAndIsConsumed) {
    struct Case {
        const char* button;
        std::string press, release;
    };
    for (const Case& c : {Case{"left", "1.5 clicks 1/0 consume", "1.6 501 2/0"},
                          Case{"right", "1.5 clicks 3/1 consume", "1.6 501 4/1"}}) {
        SCOPED_TRACE(c.button);
        const std::string button = std::string("\"") + c.button + "\"";
        ScenarioRun run(lockedSession() + line(1.5, "\"down\": " + button) + line(1.6, "\"up\": " + button) +
                        line(2, "\"down\": " + button));
        EXPECT_EQ(run.values("state"), (std::vector<Json>{"pressed", "locked", "idle"}));
        EXPECT_EQ(decisions(run), (Lines{"1.0 mouse 25/2 consume", "1.1 mouse 26/2 consume", c.press}));
        // The tap never sees left and right releases; the application gets it,
        // and the next press, with no session to end, unseen.
        EXPECT_EQ(deliveries(run).front(), c.release);
        EXPECT_EQ(deliveries(run).size(), 2u);
        EXPECT_EQ(run.values("escTap"), (std::vector<Json>{true, false}));
        EXPECT_EQ(run.leftOver(), "");
    }
}

TEST(Session, EscapeEndsOnlyALockedSessionAndOnlyOnce) {
    ScenarioRun run(lockedSession() + line(1.3, R"("key": 0)") + line(1.5, R"("key": 53)") + line(1.7, R"("key": 53)") +
                    line(2, R"("end": true)"));
    EXPECT_EQ(decisions(run), (Lines{"1.0 mouse 25/2 consume", "1.1 mouse 26/2 consume", "1.3 escape 10 pass",
                                     "1.5 escape 10 consume"}));
    EXPECT_EQ(run.records("state").back(), Json::parse(R"({"t": 1.5, "state": "idle"})"));
    EXPECT_EQ(run.values("escTap"), (std::vector<Json>{true, false}));
    EXPECT_EQ(run.values("marker").back(), nullptr);
    EXPECT_EQ(scrollsAfter(run, 1.5), 0u);
    EXPECT_EQ(run.leftOver(), "");
}

TEST(Session, ShiftMiddleClickIsTheApplicationsUnlessItEndsALockedSession) {
    ScenarioRun run(launchedInEditor() + line(0.5, R"("down": "middle", "flags": ["shift"])") +
                    line(0.6, R"("up": "middle", "flags": ["shift"])") + line(1, R"("move": [400, 300])") +
                    line(1, R"("down": "middle")") + line(1.1, R"("up": "middle")") +
                    line(1.5, R"("down": "middle", "flags": ["shift"])") +
                    line(1.6, R"("up": "middle", "flags": ["shift"])"));
    EXPECT_EQ(decisions(run), (Lines{"0.5 mouse 25/2 pass", "0.6 mouse 26/2 pass", "1.0 mouse 25/2 consume",
                                     "1.1 mouse 26/2 consume", "1.5 mouse 25/2 consume", "1.6 mouse 26/2 pass"}));
    EXPECT_EQ(deliveries(run), (Lines{"0.5 501 25/2", "0.6 501 26/2", "1.6 501 26/2"}));
    EXPECT_EQ(run.values("state"), (std::vector<Json>{"pressed", "locked", "idle"}));
    EXPECT_EQ(run.leftOver(), "");
}

// The release of the first press was lost: the new press starts over at the
// new point without ending the old session, so the motion it had carries on.
TEST(Session, MiddlePressWhileHeldRestartsTheSessionKeepingItsMotion) {
    ScenarioRun run(launchedInEditor() + line(1, R"("move": [400, 300])") + line(1, R"("down": "middle")") +
                    line(1, R"("move": [400, 600])") + line(1.5, R"("down": "middle")") + line(2, R"("up": "middle")") +
                    line(2.1, R"("key": 53)"));
    // No idle in between: the session was replaced, not ended.
    EXPECT_EQ(run.values("state"), (std::vector<Json>{"pressed", "locked", "idle"}));
    EXPECT_EQ(run.values("marker"), (std::vector<Json>{Json::parse(R"({"frame": [380, 580, 40, 40]})"), nullptr,
                                                       Json::parse(R"({"frame": [380, 280, 40, 40]})"), nullptr}));

    // The pointer sits on the new anchor, yet the wheel keeps turning the same
    // way, on one timer ticking from the new press.
    std::vector<Json> after;
    for (const Json& record : run.records("scroll"))
        if (record["t"].get<double>() > 1.5) after.push_back(record);
    ASSERT_GE(after.size(), 2u);
    EXPECT_EQ(after.front()["t"], 1.52);
    for (std::size_t i = 1; i < after.size(); ++i) {
        EXPECT_GT(after[i]["t"].get<double>(), after[i - 1]["t"].get<double>());
        EXPECT_LE(after[i]["scroll"]["wheel1"].get<int>(), 0);
    }
    EXPECT_LT(after.front()["scroll"]["wheel1"].get<int>(), 0);
    EXPECT_EQ(run.leftOver(), "");
}

}  // namespace
}  // namespace qm::test
