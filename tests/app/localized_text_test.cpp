#include <gtest/gtest.h>

#include "app/app_run.h"
#include "app/localized_text.h"
#include "tools/strings_loading.h"

namespace qm::test {
namespace {

const std::vector<std::string> kProgramKeys = {"menu.enabled",
                                               "menu.disabled",
                                               "menu.disableForApp",
                                               "menu.disableForThisApp",
                                               "menu.launchAtLogin",
                                               "menu.gettingStarted",
                                               "menu.settings",
                                               "menu.checkForUpdates",
                                               "menu.quit",
                                               "ax.title",
                                               "ax.body",
                                               "ax.openSettings",
                                               "ax.later",
                                               "onb.window.title",
                                               "onb.step1.title",
                                               "onb.step2.title",
                                               "onb.step3.title",
                                               "onb.step1.body",
                                               "onb.step1.mouse",
                                               "onb.step2.body",
                                               "onb.step2.openSettings",
                                               "onb.step2.desktop.title",
                                               "onb.step2.desktop.body",
                                               "onb.step2.desktop.enable",
                                               "onb.step2.desktop.on",
                                               "onb.step3.line1",
                                               "onb.step3.line2",
                                               "onb.step3.line3",
                                               "onb.back",
                                               "onb.skip",
                                               "onb.next",
                                               "onb.done",
                                               "settings.window.title",
                                               "settings.speed",
                                               "settings.speed.value",
                                               "settings.speed.slower",
                                               "settings.speed.default",
                                               "settings.speed.faster",
                                               "settings.deadZone",
                                               "settings.deadZone.value",
                                               "settings.trigger",
                                               "settings.trigger.middle",
                                               "settings.trigger.back",
                                               "settings.trigger.forward",
                                               "settings.invert",
                                               "settings.verticalOnly",
                                               "settings.smooth",
                                               "settings.exclusions",
                                               "settings.exclusions.note",
                                               "settings.exclusions.builtIn",
                                               "settings.exclusions.remove",
                                               "settings.restoreDefaults",
                                               "save.settings.title",
                                               "save.settings.body",
                                               "save.loginItem.title",
                                               "save.loginItem.body"};

// The Mac's table and the Linux desktop's, which says panel for menu bar.
TEST(ShippedStrings, ParseCleanlyAndHoldEveryKeyTheProgramUses) {
    for (const std::string choice : {"", QM_LINUX_STRINGS}) {
        SCOPED_TRACE(choice.empty() ? "the Mac's" : choice);
        std::ostringstream err;
        const strings::StringsTable table = tools::loadStrings(choice, err).value();
        EXPECT_EQ(err.str(), "");
        for (const auto& key : kProgramKeys) {
            ASSERT_TRUE(table.entries.contains(key)) << key;
            EXPECT_NE(table.entries.at(key), "") << key;
        }
        EXPECT_EQ(table.entries.size(), kProgramKeys.size()) << "a key the program does not use";
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

struct Formatting {
    const char* format;
    const char* name;
    const char* expected;
};

void PrintTo(const Formatting& param, std::ostream* out) {
    *out << param.format;
}

class FormatWithString : public testing::TestWithParam<Formatting> {};

TEST_P(FormatWithString, SubstitutesTheNameOnceAndMisreadsNothingElse) {
    EXPECT_EQ(formatWithString(GetParam().format, GetParam().name), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, FormatWithString,
                         testing::Values(Formatting{"Disable in %@", "Safari", "Disable in Safari"},
                                         Formatting{"%1$@ ausschließen", "Safari", "Safari ausschließen"},
                                         Formatting{"%d apps, %s, %@", "Safari", "%d apps, %s, Safari"},
                                         Formatting{"100% sure: %@", "Safari", "100% sure: Safari"},
                                         Formatting{"%%@ is %@ at 100%%", "Safari", "%@ is Safari at 100%"},
                                         Formatting{"%@ and %@ and %1$@", "Safari", "Safari and %@ and %1$@"},
                                         Formatting{"ends with %", "Safari", "ends with %"},
                                         Formatting{"Disable in %@", "50% off %@ %d %%", "Disable in 50% off %@ %d %%"},
                                         Formatting{"%@%@", "%@", "%@%@"}));

}  // namespace
}  // namespace qm::test
