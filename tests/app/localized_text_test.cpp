#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>

#include "app/app_run.h"
#include "app/localized_text.h"
#include "tools/strings_loading.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

// Every key the program's sources name, read from them beside this test, so
// that the list cannot fall behind them. The simulator's tools are no part of it.
std::set<std::string> programKeys() {
    const std::regex key(R"re("((menu|ax|onb|settings)\.[A-Za-z0-9.]+)")re");
    std::set<std::string> keys;
    const fs::path sources = fs::path(__FILE__).parent_path() / ".." / ".." / "src";
    for (const auto& entry : fs::recursive_directory_iterator(sources)) {
        if (!entry.is_regular_file() || entry.path().parent_path().filename() == "tools") continue;
        std::ifstream in(entry.path());
        const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        for (std::sregex_iterator it(text.begin(), text.end(), key), end; it != end; ++it) keys.insert((*it)[1]);
    }
    // The alerts name theirs by a stem and add the part.
    for (const char* stem : {"save.settings", "save.loginItem"})
        for (const char* part : {".title", ".body"}) keys.insert(std::string(stem) + part);
    return keys;
}

// The Mac's table and the Linux desktop's, which says panel for menu bar.
TEST(ShippedStrings, ParseCleanlyAndHoldEveryKeyTheProgramUses) {
    for (const std::string choice : {"", QM_LINUX_STRINGS}) {
        SCOPED_TRACE(choice.empty() ? "the Mac's" : choice);
        std::ostringstream err;
        const strings::StringsTable table = tools::loadStrings(choice, err).value();
        EXPECT_EQ(err.str(), "");
        const std::set<std::string> keys = programKeys();
        ASSERT_GT(keys.size(), 40u);
        for (const auto& key : keys) {
            ASSERT_TRUE(table.entries.contains(key)) << key;
            EXPECT_NE(table.entries.at(key), "") << key;
        }
        EXPECT_EQ(table.entries.size(), keys.size()) << "a key the program does not use";
        if (!choice.empty()) {
            for (const auto& [key, text] : table.entries) EXPECT_EQ(text.find("menu bar"), std::string::npos) << key;
        }
        // The one placeholder each formatted text needs, and no other.
        for (const char* key : {"menu.disableForApp", "settings.speed.value", "settings.deadZone.value",
                                "save.settings.body", "save.loginItem.body"}) {
            EXPECT_EQ(formatWithString(table.entries.at(key), "\x01").find('%'), std::string::npos) << key;
            EXPECT_NE(formatWithString(table.entries.at(key), "\x01").find('\x01'), std::string::npos) << key;
        }
    }
}

// Every text the user can see outside the onboarding, with the key it comes from.
std::vector<std::pair<std::string, std::string>> shownTexts(AppRun& run) {
    run.then(kOnboarded + kLaunch + line(1, R"("answerAlert": "second")") + line(1, R"("menu": "open")") +
             line(2, R"("frontmost": null)") + line(2, R"("trusted": true)") + line(3, R"("menu": "open")"));
    const Json alert = run.values("alert").at(0);
    const auto menus = run.values("menu");
    return {{"ax.title", alert["message"]},
            {"ax.body", alert["info"]},
            {"ax.openSettings", alert["buttons"][0]},
            {"ax.later", alert["buttons"][1]},
            {"menu.disabled", menus.at(0)[enableRow]["title"]},
            {"menu.disableForApp", menus.at(0)[excludeRow]["title"]},
            {"menu.launchAtLogin", menus.at(0)[loginRow]["title"]},
            {"menu.gettingStarted", menus.at(0)[gettingStartedRow]["title"]},
            {"menu.settings", menus.at(0)[settingsRow]["title"]},
            {"menu.checkForUpdates", menus.at(0)[updatesRow]["title"]},
            {"menu.quit", menus.at(0)[quitRow]["title"]},
            {"menu.enabled", menus.at(1)[enableRow]["title"]},
            {"menu.disableForThisApp", menus.at(1)[excludeRow]["title"]}};
}

TEST(Texts, WithoutAStringsTableEveryTextShowsItsKey) {
    AppRun run;
    run.world().bundle().setStrings({});
    for (const auto& [key, text] : shownTexts(run)) EXPECT_EQ(text, key);
    EXPECT_EQ(run.leftOver(), "");
}

TEST(Texts, WithTheShippedTableNoTextShowsItsKey) {
    AppRun run;
    const auto shipped = strings::parseStringsTable(tools::shippedStrings()).entries;
    for (const auto& [key, text] : shownTexts(run)) {
        if (key == "menu.disableForApp")
            EXPECT_EQ(text, formatWithString(shipped.at(key), "Quillmere"));
        else
            EXPECT_EQ(text, shipped.at(key)) << key;
    }
    EXPECT_EQ(run.leftOver(), "");
}

// A translation or an application name full of format sequences: the name
// goes in once, where the placeholder is, and nothing else is read as a format.
TEST(Texts, FormatWithStringSubstitutesTheNameOnceAndMisreadsNothingElse) {
    const struct {
        const char *format, *name, *expected;
    } cases[] = {{"Disable in %@", "Safari", "Disable in Safari"},
                 {"%1$@ ausschließen", "Safari", "Safari ausschließen"},
                 {"%d apps, %s, %@", "Safari", "%d apps, %s, Safari"},
                 {"100% sure: %@", "Safari", "100% sure: Safari"},
                 {"%%@ is %@ at 100%%", "Safari", "%@ is Safari at 100%"},
                 {"%@ and %@ and %1$@", "Safari", "Safari and %@ and %1$@"},
                 {"ends with %", "Safari", "ends with %"},
                 {"Disable in %@", "50% off %@ %d %%", "Disable in 50% off %@ %d %%"},
                 {"%d%% off: %s %@ %@ %n", "50% %@ %s", "%d% off: %s 50% %@ %s %@ %n"},
                 {"%@%@", "%@", "%@%@"}};
    for (const auto& c : cases) EXPECT_EQ(formatWithString(c.format, c.name), c.expected) << c.format;
}

}  // namespace
}  // namespace qm::test
