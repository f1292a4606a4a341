#include <gtest/gtest.h>

#include "scenario_harness.h"

namespace qm::test {
namespace {

// A first launch with the permission: the onboarding window comes up at once.
std::string firstLaunch() {
    return line(0, R"("trusted": true)") + line(0, R"("launch": true)");
}

std::vector<std::string> onboardingTimeline(const ScenarioRun& run) {
    std::vector<std::string> found;
    for (const Json& record : run.records("onboarding"))
        found.push_back(json::dumpLine(record["t"]) + " " + json::dumpLine(record["onboarding"]));
    return found;
}

std::size_t onboardingWindows(ScenarioRun& run) {
    return run.world().ledger().live(sim::Ledger::window);
}

TEST(OnboardingWindow, CloseButtonHidesItAndShowBringsTheSameWindowBack) {
    ScenarioRun run(firstLaunch() + line(1, R"("onboarding": "next")") + line(2, R"("menu": "showOnboarding")") +
                    line(3, R"("onboarding": "close")"));
    EXPECT_EQ(onboardingWindows(run), 1u);  // the second show built nothing
    run.then(line(4, R"("menu": "showOnboarding")"));
    EXPECT_EQ(onboardingWindows(run), 1u);
    EXPECT_EQ(onboardingTimeline(run),
              (std::vector<std::string>{R"(0.0 {"shown": true, "step": 0})", R"(1.0 {"shown": true, "step": 1})",
                                        R"(3.0 {"shown": false})", R"(4.0 {"shown": true, "step": 1})"}));
    // Neither the close button nor showing again counts as finishing.
    EXPECT_EQ(run.values("menu").size(), 2u);
    EXPECT_EQ(run.leftOver(), "");
}

// An agent application has no main menu to give these keys their meaning.
TEST(OnboardingWindow, EscapeAndCommandWCloseItAsItsCloseButtonDoes) {
    ScenarioRun run(firstLaunch() + line(1, R"("onboarding": "next")") + line(2, R"("key": 53)") +
                    line(3, R"("menu": "showOnboarding")") + line(4, R"("key": 13)") +
                    line(5, R"("key": 13, "flags": ["command", "shift"])") +
                    line(6, R"("key": 13, "flags": ["command"])"));
    EXPECT_EQ(onboardingTimeline(run),
              (std::vector<std::string>{R"(0.0 {"shown": true, "step": 0})", R"(1.0 {"shown": true, "step": 1})",
                                        R"(2.0 {"shown": false})", R"(3.0 {"shown": true, "step": 1})",
                                        R"(6.0 {"shown": false})"}));
    EXPECT_EQ(onboardingWindows(run), 1u);

    // Escape ends a locked session first; only the next one reaches the window.
    run.then(line(7, R"("menu": "showOnboarding")") + line(8, R"("down": "middle")") + line(8.1, R"("up": "middle")") +
             line(9, R"("key": 53)") + line(10, R"("key": 53)"));
    EXPECT_EQ(run.values("state").back(), "idle");
    EXPECT_EQ(run.times("state").back(), 9.0);
    EXPECT_EQ(onboardingTimeline(run).back(), R"(10.0 {"shown": false})");
    EXPECT_EQ(run.leftOver(), "");
}

const std::string& excludeItemTitle(ScenarioRun& run) {
    return run.world().statusBar().item()->menu()->items().at(1)->title();
}

TEST(OnboardingWindow, FinishingDropsTheWindowRefreshesTheMenuAndStartsOverNextTime) {
    ScenarioRun run(firstLaunch() + line(1, R"("onboarding": "next")") +
                    line(1.5, R"("frontmost": {"bundle": "com.apple.TextEdit", "name": "TextEdit", "pid": 501})"));
    EXPECT_EQ(excludeItemTitle(run), "Disable in Quillmere");  // as the launch's refresh left it
    run.then(line(2, R"("onboarding": "skip")"));
    EXPECT_EQ(excludeItemTitle(run), "Disable in TextEdit");  // refreshed once the onboarding finished
    EXPECT_EQ(onboardingWindows(run), 0u);

    run.then(line(3, R"("menu": "showOnboarding")") + line(4, R"("onboarding": "next")") +
             line(5, R"("onboarding": "next")") + line(6, R"("key": 36)"));
    const auto timeline = onboardingTimeline(run);
    EXPECT_EQ(timeline[3], R"(3.0 {"shown": true, "step": 0})");  // a new window at the first step
    EXPECT_EQ(timeline.back(), R"(6.0 {"shown": false})");        // Return on the last page is Done
    EXPECT_EQ(onboardingWindows(run), 0u);
    EXPECT_EQ(run.leftOver(), "");
}

TEST(OnboardingWindow, GettingStartedLeavesTheFlagAloneAndSettingsOpensTheDeepLink) {
    ScenarioRun run(line(0, R"("trusted": true)") + laterLaunch() + line(1, R"("menu": "showOnboarding")") +
                    line(2, R"("onboarding": "next")") + line(3, R"("onboarding": "openSettings")"));
    EXPECT_TRUE(run.values("defaults").empty());
    EXPECT_EQ(run.values("openURL"),
              (std::vector<Json>{"x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"}));
    EXPECT_EQ(onboardingTimeline(run).back(), R"(2.0 {"shown": true, "step": 1})");
    EXPECT_EQ(run.leftOver(), "");
}

}  // namespace
}  // namespace qm::test
