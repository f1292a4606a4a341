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

// The watchdog is the only one to notice a tap switched off without a word.
TEST(TapHealth, WatchdogRevivesASilentlyDisabledMouseTapAndEndsTheSession) {
    ScenarioRun run(lockedAtRest() + line(5, R"("disableTap": "mouse")") + line(10, R"("down": "middle")") +
                    line(10.1, R"("up": "middle")") + line(31, R"("down": "middle")") +
                    line(31.1, R"("up": "middle")") + line(31.2, R"("key": 53)"));
    EXPECT_EQ(timeline(run.records(), "state"),
              (std::vector<std::string>{R"(1.0 "pressed")", R"(1.1 "locked")", R"(30.0 "idle")", R"(31.0 "pressed")",
                                        R"(31.1 "locked")", R"(31.2 "idle")"}));
    // Meanwhile the clicks went past the switched-off tap to the application.
    EXPECT_EQ(timeline(run.records(), "delivered"),
              (std::vector<std::string>{R"(10.0 {"pid":501,"type":25,"button":2})",
                                        R"(10.1 {"pid":501,"type":26,"button":2})"}));
    EXPECT_EQ(run.leftOver(), "");
}

TEST(TapHealth, WatchdogRevivesASilentlyDisabledEscapeTapAndEndsTheSession) {
    ScenarioRun run(lockedAtRest() + line(5, R"("disableTap": "escape")") + line(10, R"("key": 53)") +
                    line(31, R"("key": 53)") + line(32, R"("down": "middle")") + line(32.1, R"("up": "middle")") +
                    line(32.2, R"("key": 53)"));
    EXPECT_EQ(timeline(run.records(), "state"),
              (std::vector<std::string>{R"(1.0 "pressed")", R"(1.1 "locked")", R"(30.0 "idle")", R"(32.0 "pressed")",
                                        R"(32.1 "locked")", R"(32.2 "idle")"}));
    EXPECT_EQ(timeline(run.records(), "escTap"),
              (std::vector<std::string>{"1.1 true", "30.0 false", "32.1 true", "32.2 false"}));
    std::vector<std::string> escapes;
    for (const Json& record : run.records("tapped"))
        if (record["tapped"]["tap"] == "escape") escapes.push_back(record["t"].dump());
    EXPECT_EQ(escapes, std::vector<std::string>{"32.2"});
    EXPECT_EQ(run.leftOver(), "");
}

// The tap a locked session adds for left and right presses is looked after as
// the others are: told of its end, the engine ends the session at once;
// switched off silently, the watchdog finds it.
TEST(TapHealth, TheTapForClicksOfALockedSessionIsWatchedLikeTheOthers) {
    ScenarioRun told(lockedAtRest() + line(5, R"("disableTap": "clicks", "notice": "timeout")") +
                     line(6, R"("down": "left")"));
    EXPECT_EQ(timeline(told.records(), "tapped").back(),
              R"(5.0 {"tap":"clicks","type":4294967294,"at":[400,300],"verdict":"pass"})");
    EXPECT_EQ(timeline(told.records(), "state").back(), R"(5.0 "idle")");
    EXPECT_EQ(deliveries(told), std::vector<std::string>{"6.0 501 1/0"});
    EXPECT_EQ(told.leftOver(), "");

    ScenarioRun silent(lockedAtRest() + line(5, R"("disableTap": "clicks")") + line(10, R"("down": "left")") +
                       line(10.1, R"("up": "left")") + line(31, R"("end": true)"));
    EXPECT_EQ(timeline(silent.records(), "state"),
              (std::vector<std::string>{R"(1.0 "pressed")", R"(1.1 "locked")", R"(30.0 "idle")"}));
    EXPECT_EQ(deliveries(silent), (std::vector<std::string>{"10.0 501 1/0", "10.1 501 2/0"}));
    EXPECT_EQ(silent.leftOver(), "");
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
