#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "scenario_harness.h"

namespace qm::test {
namespace {

// "t value" for each record with the key, the value as compact JSON.
std::vector<std::string> timeline(const std::vector<Json>& records, const std::string& key) {
    std::vector<std::string> out;
    for (const Json& record : records)
        if (record.contains(key)) out.push_back(record["t"].dump() + " " + record[key].dump());
    return out;
}

double lastTime(const std::vector<Json>& records, const std::string& key) {
    double last = 0;
    for (const Json& record : records)
        if (record.contains(key)) last = record["t"].get<double>();
    return last;
}

// Locked at (400, 300) at t = 1.1 with the pointer left on the anchor.
std::string lockedAtRest() {
    return launchedInEditor() + line(1, R"("move": [400, 300])") + line(1, R"("down": "middle")") +
           line(1.1, R"("up": "middle")");
}

TEST(TapHealth, DisabledNoticeEndsTheSessionAndTheTapComesStraightBack) {
    ScenarioRun run(lockedAtRest() + line(1.2, R"("move": [400, 420])") +
                    line(1.5, R"("disableTap": "mouse", "notice": "timeout")") +
                    line(2, R"("disableTap": "mouse", "notice": "userInput")") + line(2.5, R"("down": "middle")") +
                    line(2.6, R"("up": "middle")") + line(3, R"("key": 53)"));
    const auto taps = timeline(run.records(), "tapped");
    ASSERT_EQ(taps.size(), 7u);
    EXPECT_EQ(taps[2], R"(1.5 {"tap":"mouse","type":4294967294,"at":[400,420],"verdict":"pass"})");
    EXPECT_EQ(taps[3], R"(2.0 {"tap":"mouse","type":4294967295,"at":[400,420],"verdict":"pass"})");
    EXPECT_EQ(timeline(run.records(), "state"),
              (std::vector<std::string>{R"(1.0 "pressed")", R"(1.1 "locked")", R"(1.5 "idle")", R"(2.5 "pressed")",
                                        R"(2.6 "locked")", R"(3.0 "idle")"}));
    EXPECT_EQ(timeline(run.records(), "escTap"),
              (std::vector<std::string>{"1.1 true", "1.5 false", "2.6 true", "3.0 false"}));
    EXPECT_LE(lastTime(run.records(), "scroll"), 1.5);
    EXPECT_EQ(run.leftOver(), "");
}

// The watchdog is the only one to notice a tap switched off without a word,
// the mouse tap, the Escape tap or the one a locked session adds for clicks:
// meanwhile what that tap would have taken reaches the application.
TEST(TapHealth, TheWatchdogFindsATapSwitchedOffSilentlyAndEndsTheSession) {
    const struct {
        const char* tap;
        const char* probe;
        std::vector<std::string> reached;  // keys are not recorded
    } cases[] = {{"mouse", R"("down": "middle")", {"10.0 501 25/2"}},
                 {"escape", R"("key": 53)", {}},
                 {"clicks", R"("down": "left")", {"10.0 501 1/0"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tap);
        ScenarioRun run(lockedAtRest() + line(5, std::string(R"("disableTap": ")") + c.tap + "\"") + line(10, c.probe) +
                        line(31, R"("down": "middle")") + line(31.1, R"("up": "middle")") + line(31.2, R"("key": 53)"));
        EXPECT_EQ(timeline(run.records(), "state"),
                  (std::vector<std::string>{R"(1.0 "pressed")", R"(1.1 "locked")", R"(30.0 "idle")",
                                            R"(31.0 "pressed")", R"(31.1 "locked")", R"(31.2 "idle")"}));
        EXPECT_EQ(deliveries(run), c.reached);
        for (const auto& decided : decisions(run)) EXPECT_FALSE(decided.starts_with("10.0")) << decided;
        EXPECT_EQ(decisions(run).back(), "31.2 escape 10 consume");
        EXPECT_EQ(run.leftOver(), "");
    }
}

// Told of its end, the engine ends the session at once.
TEST(TapHealth, TheTapForClicksOfALockedSessionEndsItWhenToldItsEnd) {
    ScenarioRun told(lockedAtRest() + line(5, R"("disableTap": "clicks", "notice": "timeout")") +
                     line(6, R"("down": "left")"));
    EXPECT_EQ(timeline(told.records(), "tapped").back(),
              R"(5.0 {"tap":"clicks","type":4294967294,"at":[400,300],"verdict":"pass"})");
    EXPECT_EQ(timeline(told.records(), "state").back(), R"(5.0 "idle")");
    EXPECT_EQ(deliveries(told), std::vector<std::string>{"6.0 501 1/0"});
    EXPECT_EQ(told.leftOver(), "");
}

// Plays a scenario in pieces, so that a test can work the engine's switch
// between them the way the status menu does.
sim::TapState& mouseTap(ScenarioRun& run) {
    for (const auto& tap : run.world().events().taps())
        if (tools::tapName(*tap) == "mouse") return *tap;
    throw std::logic_error("no mouse tap");
}

TEST(EngineSwitch, SwitchedOffTheEngineEndsTheSessionAndLeavesEveryClickAlone) {
    ScenarioRun run;
    run.then(lockedAtRest() + line(1.2, R"("move": [400, 420])") + line(1.5, R"("end": true)"));
    run.engine().setEnabled(false);
    EXPECT_EQ(timeline(run.records(), "state").back(), R"(1.5 "idle")");
    EXPECT_EQ(timeline(run.records(), "marker").back(), "1.5 null");
    EXPECT_EQ(timeline(run.records(), "escTap").back(), "1.5 false");
    EXPECT_EQ(timeline(run.records(), "enabled").back(), "1.5 false");
    EXPECT_EQ(run.world().runLoop().validTimers(), 0u);

    // Past two watchdog periods: nobody switches the tap back on, and a notice
    // that still reaches it is passed without reviving it.
    run.then(line(2, R"("down": "middle")") + line(2.1, R"("up": "middle")") +
             line(2.5, R"("disableTap": "mouse", "notice": "timeout")") + line(3, R"("down": "middle")") +
             line(3.1, R"("up": "middle")") + line(61, R"("end": true)"));
    EXPECT_FALSE(mouseTap(run).enabled);

    // Clicks already queued for the tap when it went off still reach the
    // engine; switched off, it leaves them alone.
    mouseTap(run).enabled = true;
    run.then(line(61.5, R"("down": "middle")") + line(61.6, R"("up": "middle")"));
    mouseTap(run).enabled = false;
    EXPECT_EQ(
        timeline(run.records(), "tapped"),
        std::vector<std::string>({R"(1.0 {"tap":"mouse","type":25,"button":2,"at":[400,300],"verdict":"consume"})",
                                  R"(1.1 {"tap":"mouse","type":26,"button":2,"at":[400,300],"verdict":"consume"})",
                                  R"(2.5 {"tap":"mouse","type":4294967294,"at":[400,420],"verdict":"pass"})",
                                  R"(61.5 {"tap":"mouse","type":25,"button":2,"at":[400,420],"verdict":"pass"})",
                                  R"(61.6 {"tap":"mouse","type":26,"button":2,"at":[400,420],"verdict":"pass"})"}));
    EXPECT_EQ(timeline(run.records(), "delivered").size(), 6u);
    EXPECT_EQ(timeline(run.records(), "state").size(), 3u);
    EXPECT_LE(lastTime(run.records(), "scroll"), 1.5);

    // Switched on twice, as a double menu toggle might: one watchdog.
    run.engine().setEnabled(true);
    run.engine().setEnabled(true);
    EXPECT_TRUE(mouseTap(run).enabled);
    EXPECT_EQ(run.world().runLoop().validTimers(), 1u);
    run.then(line(62, R"("down": "middle")") + line(62.1, R"("up": "middle")"));
    EXPECT_EQ(timeline(run.records(), "state").back(), R"(62.1 "locked")");
    EXPECT_EQ(run.world().runLoop().validTimers(), 2u);
    run.then(line(62.2, R"("key": 53)"));
    EXPECT_EQ(timeline(run.records(), "state").back(), R"(62.2 "idle")");
    EXPECT_EQ(run.leftOver(), "");
}

}  // namespace
}  // namespace qm::test
