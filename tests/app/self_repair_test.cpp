// What the user sees when the system pulls the taps away: across sleep, and
// when the accessibility permission is withdrawn and granted again while the
// program runs.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app_run.h"

namespace qm::test {
namespace {

using sim::Micros;

// "t value" for each record with the key.
std::vector<std::string> timeline(const ScenarioRun& run, const std::string& key) {
    std::vector<std::string> out;
    for (const Json& record : run.records(key)) out.push_back(record["t"].dump() + " " + record[key].dump());
    return out;
}

// The middle-button events the editor (pid 501) received.
std::vector<std::string> middleClicksDelivered(const ScenarioRun& run) {
    std::vector<std::string> out;
    for (const std::string& delivery : deliveries(run))
        if (delivery.ends_with("/2")) out.push_back(delivery);
    return out;
}

// Locked at (400, 300) at t = 1.1, the pointer then 100 points below the anchor.
std::string lockedAndScrolling() {
    return launchedInEditor() + line(1, R"("move": [400, 300])") + line(1, R"("down": "middle")") +
           line(1.1, R"("up": "middle")") + line(1.2, R"("move": [400, 400])");
}

std::string middleClick(double at) {
    return line(at, R"("down": "middle")") + line(at + 0.1, R"("up": "middle")");
}

TEST(Wake, ALockedSessionEndsAtWakeAndThePressAfterItStartsOne) {
    ScenarioRun run(lockedAndScrolling() + line(5, R"("wake": true)") + line(5.05, R"("down": "middle")") +
                    line(5.3, R"("up": "middle")"));
    EXPECT_EQ(timeline(run, "state"), (std::vector<std::string>{R"(1.0 "pressed")", R"(1.1 "locked")", R"(5.0 "idle")",
                                                                R"(5.05 "pressed")", R"(5.3 "locked")"}));
    EXPECT_EQ(timeline(run, "marker").at(1), "5.0 null");
    EXPECT_EQ(timeline(run, "escTap"), (std::vector<std::string>{"1.1 true", "5.0 false", "5.3 true"}));
    // Nothing scrolls between the wake and the next press.
    for (double t : run.times("scroll")) EXPECT_TRUE(t <= 5.0 || t > 5.05) << t;
    EXPECT_TRUE(middleClicksDelivered(run).empty());
    EXPECT_EQ(run.world().tapsDestroyedInOwnCallback(), 0u);
    EXPECT_EQ(run.leftOver(), "");
}

TEST(Wake, AnEngineSwitchedOffStaysOffAndATapThatDiedIsMadeAnew) {
    AppRun off;
    off.then(launchedInEditor() + line(1, R"("menu": "toggleEnabled")") + line(2, R"("wake": true)") +
             middleClick(2.5) + line(61, R"("end": true)"));
    EXPECT_EQ(off.values("enabled"), (std::vector<Json>{true, false}));
    EXPECT_EQ(middleClicksDelivered(off), (std::vector<std::string>{"2.5 501 25/2", "2.6 501 26/2"}));
    EXPECT_EQ(off.leftOver(), "");

    // A port that did not survive the sleep cannot be switched on again.
    ScenarioRun run(launchedInEditor() + line(1, R"("end": true)"));
    for (const auto& tap : run.world().events().taps()) tap->revoked = true;
    run.then(line(2, R"("wake": true)") + middleClick(2.05));
    EXPECT_EQ(timeline(run, "state"), (std::vector<std::string>{R"(2.05 "pressed")", R"(2.15 "locked")"}));
    EXPECT_EQ(run.world().ledger().createdCount(sim::Ledger::tap), 3u);  // the dead one, its successor, Escape
    EXPECT_EQ(run.world().ledger().live(sim::Ledger::tap), 2u);
    EXPECT_EQ(run.leftOver(), "");
}

// The permission goes during a locked session and comes back three seconds later.
TEST(PermissionWithdrawn, TheEngineLetsGoAtOnceAndComesBackWithThePermission) {
    AppRun run;
    run.then(lockedAndScrolling() + line(2, R"("trusted": false)") + middleClick(2.5) + line(3, R"("menu": "open")") +
             line(4, R"("trusted": true)") + line(5.5, R"("move": [400, 300])") + middleClick(5.5) +
             line(5.7, R"("move": [400, 350])") + line(5.8, R"("key": 53)"));

    EXPECT_EQ(timeline(run, "enabled"), (std::vector<std::string>{"0.0 true", "2.0 false", "5.0 true"}));
    EXPECT_EQ(timeline(run, "state"),
              (std::vector<std::string>{R"(1.0 "pressed")", R"(1.1 "locked")", R"(2.0 "idle")", R"(5.5 "pressed")",
                                        R"(5.6 "locked")", R"(5.8 "idle")"}));
    EXPECT_EQ(timeline(run, "marker").at(1), "2.0 null");
    // Meanwhile the click went to the editor as it was, past nothing of ours.
    EXPECT_EQ(middleClicksDelivered(run), (std::vector<std::string>{"2.5 501 25/2", "2.6 501 26/2"}));
    for (double t : run.times("tapped")) EXPECT_FALSE(t > 2.0 && t < 5.5) << t;
    EXPECT_EQ(run.values("menu").at(0)[enableRow], menuEntry("Autoscroll Disabled", false, true));
    EXPECT_FALSE(run.values("scroll").empty());
    EXPECT_GT(run.times("scroll").back(), 5.6);
    EXPECT_TRUE(run.values("axPrompt").empty());
    EXPECT_EQ(run.world().tapsDestroyedInOwnCallback(), 0u);
    EXPECT_EQ(run.leftOver(), "");
}

TEST(PermissionWithdrawn, AnEngineTheUserSwitchedOffStaysOffWhenThePermissionReturns) {
    AppRun run;
    run.then(launchedInEditor() + line(1, R"("menu": "toggleEnabled")") + line(2, R"("trusted": false)") +
             line(3, R"("trusted": true)") + middleClick(10) + line(11, R"("menu": "open")"));
    EXPECT_EQ(run.values("enabled"), (std::vector<Json>{true, false}));
    EXPECT_EQ(middleClicksDelivered(run), (std::vector<std::string>{"10.0 501 25/2", "10.1 501 26/2"}));
    EXPECT_EQ(run.lastMenu()[enableRow], menuEntry("Autoscroll Disabled", false, true));
    // Nothing polls once the permission is back; the menu switches it on.
    EXPECT_EQ(run.world().runLoop().validTimers(), 0u);
    run.then(line(12, R"("menu": "toggleEnabled")") + middleClick(13));
    EXPECT_EQ(run.values("enabled"), (std::vector<Json>{true, false, true}));
    EXPECT_EQ(run.values("state"), (std::vector<Json>{"pressed", "locked"}));
    EXPECT_EQ(run.leftOver(), "");
}

TEST(PermissionWithdrawn, ATrustCheckThatLagsTheNotificationIsReadAgainShortlyAfter) {
    AppRun run;
    run.then(launchedInEditor() + line(1, R"("end": true)"));
    run.world().accessibility().setTrustLag(300'000);
    run.then(line(2, R"("trusted": false)") + line(4, R"("end": true)"));
    EXPECT_EQ(timeline(run, "enabled"), (std::vector<std::string>{"0.0 true", "2.5 false"}));
    EXPECT_EQ(run.leftOver(), "");
}

// When neither the notification nor the look shortly after shows the
// withdrawal, the program still finds it: at a tap-disabled notice, at a
// wake, or at the watchdog's next round.
TEST(PermissionWithdrawn, TheEngineFindsAWithdrawalTheNotificationMissed) {
    const Micros lag = 3'000'000;
    AppRun notice;
    notice.then(lockedAndScrolling());
    notice.world().accessibility().setTrustLag(lag);
    notice.then(line(2, R"("trusted": false)") + line(6, R"("disableTap": "mouse", "notice": "userInput")"));
    notice.world().accessibility().setTrustLag(0);
    notice.then(line(7, R"("trusted": true)") + line(9, R"("end": true)"));
    EXPECT_EQ(timeline(notice, "enabled"), (std::vector<std::string>{"0.0 true", "6.0 false", "8.0 true"}));
    EXPECT_EQ(timeline(notice, "state").at(2), R"(6.0 "idle")");
    EXPECT_EQ(notice.world().tapsDestroyedInOwnCallback(), 0u);
    EXPECT_EQ(notice.leftOver(), "");

    // Past the lag, a wake looks at once; otherwise the watchdog's round does.
    for (const auto& [event, found] :
         {std::pair{R"("end": true)", "30.0 false"}, std::pair{R"("wake": true)", "14.0 false"}}) {
        AppRun run;
        run.then(launchedInEditor() + line(1, R"("end": true)"));
        run.world().accessibility().setTrustLag(lag);
        run.then(line(10, R"("trusted": false)") + line(14, event) + line(31, R"("end": true)"));
        EXPECT_EQ(timeline(run, "enabled"), (std::vector<std::string>{"0.0 true", found}));
        EXPECT_EQ(run.leftOver(), "");
    }
}

// Every way a tap can be let go from inside a callback, in one run: Escape,
// notices at both taps, a wake and a withdrawal during locked sessions.
TEST(TapRelease, NoTapIsDestroyedInsideItsOwnCallback) {
    ScenarioRun run(lockedAndScrolling() + line(2, R"("key": 53)") + middleClick(3) +
                    line(4, R"("disableTap": "escape", "notice": "timeout")") + middleClick(5) +
                    line(6, R"("disableTap": "mouse", "notice": "userInput")") + middleClick(7) +
                    line(8, R"("wake": true)") + middleClick(9) + line(10, R"("trusted": false)") +
                    line(11, R"("trusted": true)") + middleClick(12) + line(13, R"("key": 53)"));
    EXPECT_EQ(run.values("escTap"),
              (std::vector<Json>{true, false, true, false, true, false, true, false, true, false, true, false}));
    EXPECT_EQ(run.world().tapsDestroyedInOwnCallback(), 0u);
    EXPECT_EQ(run.leftOver(), "");
}

}  // namespace
}  // namespace qm::test
