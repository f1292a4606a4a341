#include <gtest/gtest.h>

#include "app/app_run.h"

namespace qm::test {
namespace {

std::string repeated(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

std::string frontmost(const std::string& app) {
    return line(0, R"("frontmost": )" + app);
}

struct ExcludeCase {
    const char* name;
    std::string setup;
    Json shown;    // the exclude item when the menu opens
    Json written;  // what choosing it stores; null: nothing
    bool onAfter;  // its check mark at the next opening
};

void PrintTo(const ExcludeCase& param, std::ostream* out) {
    *out << param.name;
}

class ExcludeItem : public testing::TestWithParam<ExcludeCase> {};

TEST_P(ExcludeItem, FollowsTheFrontmostApplicationAndChoosingItTogglesOnlyWhatMayChange) {
    const ExcludeCase& c = GetParam();
    AppRun run;
    run.then(kTrusted + kOnboarded + c.setup + kLaunch + line(1, R"("menu": "toggleExcludeCurrentApp")") +
             line(2, R"("menu": "open")"));

    ASSERT_EQ(run.values("menu").size(), 2u);
    EXPECT_EQ(run.values("menu")[0][excludeRow], c.shown);
    std::vector<Json> written;
    for (const Json& record : run.values("defaults")) {
        EXPECT_EQ(record["key"], "excludedBundleIDs");
        written.push_back(record["value"]);
    }
    EXPECT_EQ(written, c.written.is_null() ? std::vector<Json>{} : std::vector<Json>{c.written});
    EXPECT_EQ(run.lastMenu()[excludeRow]["on"], c.onAfter);
    EXPECT_EQ(run.leftOver(), "");
}

INSTANTIATE_TEST_SUITE_P(
    StatusMenu, ExcludeItem,
    testing::Values(
        ExcludeCase{"NoFrontmostApp", "", menuEntry("Disable in This App", false, false), nullptr, false},
        ExcludeCase{"NameWithoutIdentifier", frontmost(R"({"bundle": null, "name": "Preview", "pid": 600})"),
                    menuEntry("Disable in Preview", false, false), nullptr, false},
        // A name that is there but empty is not replaced by the identifier.
        ExcludeCase{"EmptyName", frontmost(R"({"bundle": "com.example.Blank", "name": "", "pid": 601})"),
                    menuEntry("Disable in This App", false, true), Json::array({"com.example.Blank"}), true},
        ExcludeCase{"NoName", frontmost(R"({"bundle": "com.example.Nameless", "name": null, "pid": 602})"),
                    menuEntry("Disable in com.example.Nameless", false, true), Json::array({"com.example.Nameless"}),
                    true},
        ExcludeCase{"PercentSignsInTheName",
                    frontmost(R"({"bundle": "com.example.Sale", "name": "50% off %@ %d", "pid": 603})"),
                    menuEntry("Disable in 50% off %@ %d", false, true), Json::array({"com.example.Sale"}), true},
        // A name of any length would make the menu as wide as the screen.
        ExcludeCase{
            "VeryLongName",
            frontmost(R"({"bundle": "com.example.Cafe", "name": ")" + repeated("Café ", 200) + R"(", "pid": 605})"),
            menuEntry("Disable in " + repeated("Café ", 8) + "…", false, true), Json::array({"com.example.Cafe"}),
            true},
        // The program's own windows in front, as its onboarding or settings bring it.
        ExcludeCase{"QuillmereItself",
                    frontmost(R"({"bundle": "com.quillmere.Quillmere", "name": "Quillmere", "pid": 1000})"),
                    menuEntry("Disable in Quillmere", false, true), Json::array({"com.quillmere.Quillmere"}), true},
        ExcludeCase{"ExcludedByDefault",
                    frontmost(R"({"bundle": "com.vmware.fusion", "name": "VMware Fusion", "pid": 604})"),
                    menuEntry("Disable in VMware Fusion", true, false), nullptr, true},
        ExcludeCase{"ExcludedByTheUser",
                    line(0, R"("defaults": {"excludedBundleIDs": ["com.apple.TextEdit", "com.example.Other"]})") +
                        frontmost(R"({"bundle": "com.apple.TextEdit", "name": "TextEdit", "pid": 501})"),
                    menuEntry("Disable in TextEdit", true, true), Json::array({"com.example.Other"}), false}),
    [](const auto& info) { return std::string(info.param.name); });

// The item is disabled in these cases, but the action must hold on its own.
TEST(StatusMenu, ExcludingWithoutAnIdentifierOrABuiltInOneChangesNothing) {
    AppRun run;
    run.then(kTrusted + kOnboarded + kLaunch);
    for (const char* app : {"null", R"({"bundle": null, "name": "Preview", "pid": 600})",
                            R"({"bundle": "com.vmware.fusion", "name": "VMware Fusion", "pid": 604})"}) {
        run.then(frontmost(app));
        run.delegate().toggleExcludeCurrentApp();
    }
    EXPECT_TRUE(run.values("defaults").empty());
    EXPECT_EQ(run.leftOver(), "");
}

TEST(StatusMenu, TheExcludeActionTakesTheApplicationInFrontNowNotAtTheLastRefresh) {
    AppRun run;
    run.then(kTrusted + kOnboarded + frontmost(R"({"bundle": "com.apple.TextEdit", "name": "TextEdit", "pid": 501})") +
             kLaunch + line(1, R"("menu": "open")") +
             line(2, R"("frontmost": {"bundle": "com.apple.Preview", "name": "Preview", "pid": 600})"));
    run.delegate().toggleExcludeCurrentApp();
    EXPECT_EQ(run.values("defaults").back()["value"], Json::array({"com.apple.Preview"}));
    EXPECT_EQ(run.item(excludeRow).title(), "Disable in Preview");
    EXPECT_EQ(run.leftOver(), "");
}

TEST(StatusMenu, TurningTheEngineOffNeverAsksForThePermission) {
    AppRun run;
    // The program has not yet heard that the permission went.
    run.world().notifications().holdBack(true);
    run.then(kTrusted + kOnboarded + kLaunch + line(1, R"("trusted": false)") + line(1, R"("menu": "toggleEnabled")") +
             line(2, R"("menu": "open")"));
    EXPECT_EQ(run.values("enabled"), (std::vector<Json>{true, false}));
    EXPECT_TRUE(run.values("axPrompt").empty());
    EXPECT_EQ(run.lastMenu()[enableRow], menuEntry("Autoscroll Disabled", false, true));
    EXPECT_EQ(run.leftOver(), "");
}

TEST(StatusMenu, TurningTheEngineOnWithoutThePermissionOnlyShowsTheSystemPrompt) {
    AppRun run;
    run.then(kOnboarded + kLaunch + line(0, R"("answerAlert": "second")") + line(0.5, R"("menu": "toggleEnabled")") +
             line(0.6, R"("menu": "open")"));
    EXPECT_EQ(run.values("axPrompt"), std::vector<Json>{true});
    EXPECT_TRUE(run.values("enabled").empty());
    EXPECT_EQ(run.values("alert").size(), 1u) << "only the launch's alert";
    EXPECT_EQ(run.lastMenu()[enableRow], menuEntry("Autoscroll Disabled", false, true));
    EXPECT_EQ(run.leftOver(), "");
}

// With the permission there but its record stale, no tap can be made at the
// launch: the poll makes one as soon as it can, without a word to the user.
TEST(StatusMenu, AnEngineThatCouldNotStartAtLaunchIsStartedByThePollOnceATapCanBeMade) {
    for (const std::string& launch : {kOnboarded + kLaunch, kLaunch}) {
        AppRun run;
        run.then(kTrusted + line(0, R"("refuseTaps": true)") + launch + line(0.5, R"("menu": "toggleEnabled")") +
                 line(2.2, R"("menu": "open")"));
        EXPECT_TRUE(run.values("enabled").empty());
        EXPECT_TRUE(run.values("alert").empty());
        EXPECT_TRUE(run.values("axPrompt").empty());
        EXPECT_EQ(run.lastMenu()[enableRow], menuEntry("Autoscroll Disabled", false, true));

        run.then(line(2.5, R"("refuseTaps": false)") + line(5, R"("end": true)"));
        EXPECT_EQ(run.times("enabled"), std::vector<double>{3.0});
        EXPECT_EQ(run.item(enableRow).title(), "Autoscroll Enabled");
        EXPECT_EQ(run.leftOver(), "");
    }
}

TEST(StatusMenu, CheckForUpdatesAsksTheUpdaterAndQuitAsksToTerminate) {
    AppRun run;
    run.then(kTrusted + kOnboarded + kLaunch + line(1, R"("menu": "checkForUpdates:")") + line(2, R"("menu": "quit")"));
    EXPECT_EQ(run.values("updateCheck"), std::vector<Json>{true});
    EXPECT_EQ(run.values("quit"), std::vector<Json>{true});
    EXPECT_LT(run.indexOf("updateCheck"), run.indexOf("quit"));
    EXPECT_EQ(run.leftOver(), "");
}

TEST(StatusMenu, OnlyQuitAndSettingsHaveKeyEquivalents) {
    AppRun run;
    run.then(kTrusted + kOnboarded + kLaunch);
    const auto& items = run.world().statusBar().item()->menu()->items();
    ASSERT_EQ(items.size(), 10u);
    for (std::size_t row = 0; row < items.size(); ++row)
        EXPECT_EQ(items[row]->keyEquivalent(), row == quitRow ? "q" : row == settingsRow ? "," : "") << "row " << row;
    for (std::size_t row : {2u, 6u, 8u}) EXPECT_TRUE(items[row]->isSeparator()) << "row " << row;
    EXPECT_EQ(run.leftOver(), "");
}

// A quit program is gone: what it showed goes with it, it decides no more
// events and runs no timers, and input reaches the applications as it is.
TEST(StatusMenu, AfterQuitTheProgramIsGoneUntilItIsLaunchedAgain) {
    AppRun run;
    run.then(kTrusted + frontmost(R"({"bundle": "com.apple.TextEdit", "name": "TextEdit", "pid": 501})") +
             line(0, R"("window": {"id": 1, "pid": 501, "layer": 0, "bounds": [0, 0, 1440, 900]})") + kOnboarded +
             kLaunch + line(1, R"("move": [400, 300])") + line(1, R"("down": "middle")") +
             line(1.1, R"("up": "middle")") + line(1.2, R"("move": [400, 420])") + line(1.5, R"("menu": "quit")") +
             line(2, R"("down": "middle")") + line(2.1, R"("up": "middle")") + line(2.2, R"("key": 53)") +
             line(2.3, R"("menu": "open")") + line(2.4, R"("disableTap": "mouse", "notice": "timeout")") +
             line(100, R"("end": true)"));
    const std::size_t quit = run.indexOf("quit");
    ASSERT_LT(quit, run.records().size());
    std::vector<std::string> after;
    for (std::size_t i = quit + 1; i < run.records().size(); ++i) after.push_back(run.records()[i].dump());
    EXPECT_EQ(after, (std::vector<std::string>{
                         R"({"t":1.5,"escTap":false})",
                         R"({"t":1.5,"marker":null})",
                         R"({"t":2.0,"delivered":{"pid":501,"type":25,"button":2}})",
                         R"({"t":2.1,"delivered":{"pid":501,"type":26,"button":2}})",
                     }));
    EXPECT_EQ(run.world().windows().visibleWindows().size(), 0u);
    EXPECT_EQ(run.world().events().taps().size(), 0u);

    // A launch starts it again in the same world.
    run.then(line(101, R"("launch": true)") + line(102, R"("down": "middle")"));
    EXPECT_EQ(run.records().back()["tapped"]["verdict"], "consume");
    EXPECT_EQ(run.values("state").back(), "pressed");
    EXPECT_EQ(run.leftOver(), "");
}

// The alert's nested loop ends with the program; nothing answers it later,
// and the permission poll it would have started never runs.
TEST(StatusMenu, AQuitWhileTheAlertIsUpTakesTheAlertAlong) {
    AppRun run;
    run.then(kOnboarded + kLaunch + line(1, R"("menu": "quit")") + line(2, R"("answerAlert": "first")") +
             line(3, R"("trusted": true)") + line(10, R"("end": true)"));
    EXPECT_EQ(run.times("alert"), std::vector<double>{0.0});
    EXPECT_EQ(run.values("quit"), std::vector<Json>{true});
    EXPECT_TRUE(run.records("openURL").empty());
    EXPECT_TRUE(run.records("enabled").empty());
    EXPECT_FALSE(run.world().application().isAlertUp());
    EXPECT_EQ(run.leftOver(), "");
}

}  // namespace
}  // namespace qm::test
