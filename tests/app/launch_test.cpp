#include <gtest/gtest.h>

#include "app/app_run.h"
#include "tools/strings_loading.h"

namespace qm::test {
namespace {

const Json kFlagStored = {{"key", "didShowOnboarding"}, {"value", true}};
const Json kOnboardingShown = {{"shown", true}, {"step", 0}};

TEST(Launch, FirstLaunchWithPermissionStartsTheEngineBeforeTheOnboardingAndRunsNoPoll) {
    AppRun run;
    // Switching the engine off right away shows up any poll: it would switch it back on.
    run.then(kTrusted + kLaunch + line(0.5, R"("menu": "open")") + line(0.6, R"("menu": "toggleEnabled")") +
             line(5, R"("end": true)"));

    EXPECT_EQ(run.values("enabled"), (std::vector<Json>{true, false}));
    EXPECT_EQ(run.values("defaults"), std::vector<Json>{kFlagStored});
    EXPECT_EQ(run.values("onboarding"), std::vector<Json>{kOnboardingShown});
    EXPECT_LT(run.indexOf("enabled"), run.indexOf("defaults"));
    EXPECT_LT(run.indexOf("defaults"), run.indexOf("onboarding"));
    EXPECT_TRUE(run.values("alert").empty());
    EXPECT_TRUE(run.values("axPrompt").empty());
    EXPECT_EQ(run.values("menu").at(0)[enableRow], menuEntry("Autoscroll Enabled", true, true));
    EXPECT_EQ(run.leftOver(), "");
}

TEST(Launch, FirstLaunchWithoutPermissionShowsTheOnboardingAndThePollStartsTheEngine) {
    AppRun run;
    run.then(kLaunch + line(1, R"("onboarding": "next")") + line(1.5, R"("onboarding": "openSettings")") +
             line(2.3, R"("trusted": true)") + line(6, R"("end": true)"));

    EXPECT_EQ(run.values("defaults"), std::vector<Json>{kFlagStored});
    EXPECT_EQ(run.values("onboarding"), (std::vector<Json>{kOnboardingShown, {{"shown", true}, {"step", 1}}}))
        << "the onboarding stays open";
    EXPECT_TRUE(run.values("alert").empty());
    // Never at the launch; the settings are opened only after the system was
    // asked with its prompt, which puts the program in their list.
    EXPECT_EQ(run.times("axPrompt"), std::vector<double>{1.5});
    EXPECT_EQ(run.indexOf("axPrompt") + 1, run.indexOf("openURL"));
    EXPECT_EQ(run.values("enabled"), std::vector<Json>{true});
    EXPECT_EQ(run.times("enabled"), std::vector<double>{3.0});
    // The tick itself brings the menu up to date, before anyone opens it.
    EXPECT_EQ(run.item(enableRow).title(), "Autoscroll Enabled");
    EXPECT_EQ(run.item(enableRow).state(), platform::ControlState::on);
    EXPECT_EQ(run.leftOver(), "");
}

TEST(Launch, LaterLaunchWithPermissionOnlyStartsTheEngine) {
    AppRun run;
    run.then(kTrusted + kOnboarded + kLaunch + line(0.5, R"("menu": "toggleEnabled")") + line(5, R"("end": true)"));

    EXPECT_EQ(run.values("enabled"), (std::vector<Json>{true, false}));
    for (const char* key : {"alert", "onboarding", "defaults", "axPrompt", "openURL"})
        EXPECT_TRUE(run.values(key).empty()) << key;
    EXPECT_EQ(run.leftOver(), "");
}

TEST(Launch, LaterLaunchWithoutPermissionShowsTheAlertBeforeTheMenuIsRefreshed) {
    AppRun run;
    std::vector<std::string> titlesUnderTheAlert;
    run.watch = [&](const Json& record) {
        if (!record.contains("alert")) return;
        titlesUnderTheAlert = {run.item(enableRow).title(), run.item(excludeRow).title()};
    };
    run.then(kOnboarded + line(0, R"("frontmost": {"bundle": "com.apple.TextEdit", "name": "TextEdit", "pid": 501})") +
             kLaunch + line(1, R"("answerAlert": "second")") + line(1, R"("menu": "open")"));

    const auto shipped = strings::parseStringsTable(tools::shippedStrings()).entries;
    const Json expected = {
        {"message", shipped.at("ax.title")},
        {"info", shipped.at("ax.body")},
        {"buttons", {shipped.at("ax.openSettings"), shipped.at("ax.later")}},
    };
    EXPECT_EQ(run.values("alert"), std::vector<Json>{expected});
    EXPECT_EQ(titlesUnderTheAlert, (std::vector<std::string>{"Autoscroll Disabled", "Disable in This App"}));
    EXPECT_LT(run.indexOf("alert"), run.indexOf("menu"));
    // The alert brought the program to the front; the refresh afterwards names it.
    EXPECT_EQ(run.lastMenu()[excludeRow], menuEntry("Disable in Quillmere", false, true));
    EXPECT_TRUE(run.values("onboarding").empty());
    EXPECT_TRUE(run.values("axPrompt").empty());
    EXPECT_EQ(run.leftOver(), "");
}

struct AlertAnswer {
    const char* answer;
    std::vector<Json> urls;
};

void PrintTo(const AlertAnswer& param, std::ostream* out) {
    *out << param.answer;
}

class AlertAnswers : public testing::TestWithParam<AlertAnswer> {};

// The permission arrives while the alert is up; the poll only starts when it
// is answered, at 2.5 s, so its first tick is at 3.5 s and not on a whole second.
TEST_P(AlertAnswers, ThePollStartsOnlyOnceTheAlertIsAnswered) {
    AppRun run;
    run.then(kOnboarded + kLaunch + line(1.5, R"("trusted": true)") + line(2, R"("end": true)") +
             line(2.5, std::string(R"("answerAlert": ")") + GetParam().answer + "\"") + line(6, R"("end": true)"));

    EXPECT_EQ(run.values("alert").size(), 1u);
    EXPECT_EQ(run.values("openURL"), GetParam().urls);
    EXPECT_EQ(run.values("enabled"), std::vector<Json>{true});
    EXPECT_EQ(run.times("enabled"), std::vector<double>{3.5});
    EXPECT_EQ(run.item(enableRow).state(), platform::ControlState::on);
    EXPECT_EQ(run.leftOver(), "");
}

INSTANTIATE_TEST_SUITE_P(Launch, AlertAnswers,
                         testing::Values(AlertAnswer{"first", {kSettingsURL}}, AlertAnswer{"second", {}}),
                         [](const auto& info) { return std::string(info.param.answer); });

TEST(Launch, ThePollRetriesWhileTheTapCannotBeCreatedAndStopsOnceTheEngineRuns) {
    AppRun run;
    run.then(kLaunch + line(0.5, R"("trusted": true)"));
    run.world().events().setTapCreationFails(true);
    run.then(line(3.2, R"("end": true)"));
    EXPECT_TRUE(run.values("enabled").empty());

    run.world().events().setTapCreationFails(false);
    run.then(line(4.5, R"("end": true)"));
    EXPECT_EQ(run.times("enabled"), std::vector<double>{4.0});

    const auto wakeUps = run.world().runLoop().firings();
    run.then(line(20, R"("end": true)"));
    EXPECT_EQ(run.world().runLoop().firings(), wakeUps) << "a tick after the engine started";
    EXPECT_EQ(run.values("enabled"), std::vector<Json>{true});
    EXPECT_EQ(run.leftOver(), "");
}

// Switched on from the menu while the poll still waits, then off again: the
// user's choice stands, the poll does not switch the engine back on.
TEST(Launch, SwitchingOnFromTheMenuEndsThePoll) {
    AppRun run;
    run.then(kOnboarded + kLaunch + line(0.2, R"("answerAlert": "second")") + line(1.5, R"("trusted": true)") +
             line(1.6, R"("menu": "toggleEnabled")") + line(1.7, R"("menu": "toggleEnabled")") +
             line(5, R"("end": true)"));
    EXPECT_EQ(run.values("enabled"), (std::vector<Json>{true, false}));
    EXPECT_EQ(run.world().runLoop().validTimers(), 0u);  // no poll, and no watchdog while off
    EXPECT_EQ(run.leftOver(), "");
}

// When the onboarding window appeared; ending the program takes it down too.
std::vector<double> onboardingShownAt(const AppRun& run) {
    std::vector<double> times;
    for (const Json& record : run.records())
        if (record.contains("onboarding") && record["onboarding"]["shown"] == true) times.push_back(record["t"]);
    return times;
}

TEST(Launch, TheFlagSurvivesAQuitDuringTheOnboardingUntilItIsRemoved) {
    AppRun run;
    run.then(kLaunch + line(1, R"("menu": "quit")"));
    EXPECT_EQ(run.values("quit"), std::vector<Json>{true});
    run.runner().shutDown();

    // Relaunched in the same world: the flag is there, so the alert comes instead.
    run.then(line(2, R"("launch": true)") + line(2, R"("answerAlert": "second")"));
    EXPECT_EQ(run.times("alert"), std::vector<double>{2.0});
    EXPECT_EQ(onboardingShownAt(run), std::vector<double>{0.0});
    run.runner().shutDown();

    run.then(line(3, R"("defaults": {"didShowOnboarding": null})") + line(3, R"("launch": true)"));
    EXPECT_EQ(run.times("alert"), std::vector<double>{2.0});
    EXPECT_EQ(onboardingShownAt(run), (std::vector<double>{0.0, 3.0}));
    EXPECT_EQ(run.values("defaults"), (std::vector<Json>{kFlagStored, kFlagStored}));
    EXPECT_EQ(run.leftOver(), "");
}

}  // namespace
}  // namespace qm::test
