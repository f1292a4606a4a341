#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/cairo/list_scrolls.h"
#include "platform/cairo/pango_text.h"
#include "platform/cairo/view_layout.h"
#include "scenario_harness.h"
#include "settings/settings.h"
#include "tools/trace.h"

namespace qm::test {
namespace {

namespace v = platform::views;
using v::Node;

// The settings window on screen, or nothing.
sim::SimWindow* settingsWindow(ScenarioRun& run) {
    for (sim::SimWindow* window : run.world().windows().visibleWindows())
        if (tools::isSettingsWindow(*window)) return window;
    return nullptr;
}

const Node* control(ScenarioRun& run, const std::string& identifier) {
    const Node* found = nullptr;
    v::walk(settingsWindow(run)->host()->tree(), [&](const Node& node) {
        if (!found && node.identifier == identifier) found = &node;
    });
    return found;
}

// A row of the exclusion list: its name, and "remove" or what stands in its place.
std::string rowText(const Node& row) {
    const Node& end = row.children.back();
    return row.children.front().text + " | " + (end.kind == Node::Kind::button ? end.identifier : end.text);
}

// Each row of the exclusion list, as rowText tells it.
std::vector<std::string> exclusionRows(ScenarioRun& run) {
    std::vector<std::string> rows;
    v::walk(settingsWindow(run)->host()->tree(), [&](const Node& node) {
        if (node.kind != Node::Kind::list) return;
        for (const Node& row : v::listRows(node)) rows.push_back(rowText(row));
    });
    return rows;
}

std::vector<std::string> written(const ScenarioRun& run) {
    std::vector<std::string> lines;
    for (const Json& value : run.values("defaults"))
        lines.push_back(value["key"].get<std::string>() + " = " + json::dumpLine(value["value"]));
    return lines;
}

const std::string kOpen = line(1, R"("menu": "showSettings")");

TEST(SettingsWindow, EachControlIsWrittenAtOnceAndGovernsTheNextSession) {
    ScenarioRun run(
        launchedInEditor() + kOpen + line(2, R"("settings": {"scrollSpeed": 1.234})") +
        line(2, R"("settings": {"deadZone": 12.6})") + line(2, R"("settings": {"triggerButton": 3})") +
        line(2, R"("settings": {"invertScrolling": true})") + line(2, R"("settings": {"verticalOnly": true})") +
        line(2, R"("settings": {"smoothScrolling": true})") + line(2, R"("settings": {"smoothScrolling": false})"));
    EXPECT_EQ(run.values("settings"), (std::vector<Json>{{{"shown", true}}}));
    EXPECT_EQ(settingsWindow(run)->title(), "Quillmere Settings");
    EXPECT_EQ(written(run), (std::vector<std::string>{"scrollSpeed = 1.23", "deadZone = 13", "triggerButton = 3",
                                                      "invertScrolling = true", "verticalOnly = true",
                                                      "smoothScrolling = true", "smoothScrolling = false"}));
    const Settings expected{1.23, 13, 3, true, true, false};
    EXPECT_EQ(Settings::read(run.world().defaults()), expected);
    // The window shows what it wrote.
    EXPECT_EQ(control(run, "scrollSpeed")->value, 1.23);
    EXPECT_EQ(control(run, "deadZone")->value, 13);
    EXPECT_EQ(control(run, "triggerButton")->value, 3);
    EXPECT_EQ(control(run, "verticalOnly")->value, 1);

    // The next press already follows them: the back button starts, the middle button passes.
    run.then(line(3, R"("frontmost": {"bundle": "com.apple.TextEdit", "name": "TextEdit", "pid": 501})") +
             line(3, R"("move": [400, 300])") + line(3, R"("down": "middle")") + line(3, R"("up": "middle")") +
             line(4, R"("down": 3)") + line(4, R"("up": 3)") + line(4.5, R"("key": 53)"));
    EXPECT_EQ(decisions(run),
              (std::vector<std::string>{"3.0 mouse 25/2 pass", "3.0 mouse 26/2 pass", "4.0 mouse 25/3 consume",
                                        "4.0 mouse 26/3 consume", "4.5 escape 10 consume"}));
    EXPECT_EQ(run.leftOver(), "");
}

// The controls take only what the user could give them: a slider stops at its
// ends, a checkbox is on or off, a pop-up offers its own choices.
TEST(SettingsWindow, ControlsTakeOnlyWhatTheUserCouldSet) {
    ScenarioRun run(launchedInEditor() + kOpen);
    auto& host = *settingsWindow(run)->host();
    EXPECT_TRUE(host.change("scrollSpeed", 10));
    EXPECT_TRUE(host.change("deadZone", -5));
    EXPECT_FALSE(host.change("smoothScrolling", 0.5));
    EXPECT_FALSE(host.change("triggerButton", 5));
    EXPECT_FALSE(host.change("scrollSpeed", std::nan("")));
    EXPECT_FALSE(host.change("colour", 1));
    EXPECT_EQ(written(run), (std::vector<std::string>{"scrollSpeed = 4.0", "deadZone = 0"}));

    // Along the logarithmic track the default lies in the middle, on a mark.
    const Node* speed = control(run, "scrollSpeed");
    EXPECT_EQ(speed->range.tickMarks, 5);
    EXPECT_DOUBLE_EQ(v::trackFraction(speed->range, 1.0), 0.5);
    EXPECT_DOUBLE_EQ(v::valueAtFraction(speed->range, 0.25), 0.5);
    EXPECT_EQ(run.leftOver(), "");
}

TEST(SettingsWindow, TheExclusionListNamesAppsAndRemovesOnlyTheUsersOwn) {
    ScenarioRun run(
        launchedInEditor() +
        line(0, R"("frontmost": {"bundle": "com.vmware.fusion", "name": "VMware Fusion", "pid": 503})") +
        line(0, R"("frontmost": {"bundle": "com.apple.TextEdit", "name": "TextEdit", "pid": 501})") +
        line(
            0,
            R"("defaults": {"excludedBundleIDs": ["com.apple.TextEdit", "com.example.Unknown", "com.vmware.fusion"]})") +
        kOpen);
    const auto rows = exclusionRows(run);
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows[0], "com.example.Unknown | remove:com.example.Unknown");
    EXPECT_EQ(rows[1], "TextEdit | remove:com.apple.TextEdit");
    EXPECT_EQ(rows[2], "com.citrix.receiver.icaviewer.mac | Built in");
    EXPECT_EQ(rows[8], "VMware Fusion | Built in");

    // A built-in entry shows once, stored by the user or not, and has no remove button: nothing happens.
    run.then(line(2, R"("settings": {"removeExclusion": "com.vmware.fusion"})") +
             line(3, R"("settings": {"removeExclusion": "com.apple.TextEdit"})"));
    EXPECT_EQ(written(run),
              (std::vector<std::string>{R"(excludedBundleIDs = ["com.example.Unknown", "com.vmware.fusion"])"}));
    EXPECT_EQ(exclusionRows(run).size(), 8u);

    // TextEdit is no longer excluded: its middle clicks start sessions again.
    run.then(line(4, R"("move": [400, 300])") + line(4, R"("down": "middle")") + line(4.1, R"("up": "middle")"));
    EXPECT_EQ(run.values("state"), (std::vector<Json>{"pressed", "locked"}));
    EXPECT_EQ(run.leftOver(), "");
}

TEST(SettingsWindow, RestoreDefaultsRemovesTheSettingsAndKeepsTheExclusions) {
    ScenarioRun run(launchedInEditor() +
                    line(0, R"("defaults": {"scrollSpeed": 3, "smoothScrolling": true, "deadZone": "wide",)"
                            R"( "excludedBundleIDs": ["com.example.Kept"]})") +
                    kOpen + line(2, R"("settings": {"reset": true})"));
    // Only what was there is removed; the list stays as it was.
    EXPECT_EQ(written(run),
              (std::vector<std::string>{"scrollSpeed = null", "deadZone = null", "smoothScrolling = null"}));
    EXPECT_EQ(Settings::read(run.world().defaults()), Settings{});
    EXPECT_NE(run.world().defaults().get("excludedBundleIDs"), nullptr);
    EXPECT_EQ(control(run, "scrollSpeed")->value, 1);
    EXPECT_EQ(control(run, "smoothScrolling")->value, 0);
    EXPECT_EQ(run.leftOver(), "");
}

// Closing hides the window; showing it again shows what is stored now, and an
// exclusion made from the menu appears in an open window at once. Opening the
// running program again shows it too: the way in when the status item is out
// of sight.
TEST(SettingsWindow, ShownAgainItShowsWhatIsStoredNow) {
    ScenarioRun run(line(0, R"("reopen": true)") + launchedInEditor() + kOpen + line(1.5, R"("menu": "showSettings")") +
                    line(2, R"("settings": "close")") + line(3, R"("defaults": {"deadZone": 30})") +
                    line(4, R"("reopen": true)"));
    EXPECT_EQ(run.values("settings"), (std::vector<Json>{{{"shown", true}}, {{"shown", false}}, {{"shown", true}}}));
    EXPECT_EQ(run.world().ledger().live(sim::Ledger::window), 1u);
    EXPECT_EQ(control(run, "deadZone")->value, 30);

    run.then(line(5, R"("frontmost": {"bundle": "com.apple.TextEdit", "name": "TextEdit", "pid": 501})") +
             line(5, R"("menu": "toggleExcludeCurrentApp")"));
    EXPECT_EQ(exclusionRows(run).front(), "TextEdit | remove:com.apple.TextEdit");
    EXPECT_EQ(run.leftOver(), "");
}

// Both windows may be up at once; each takes only its own buttons.
TEST(SettingsWindow, TheOnboardingWindowStillAnswersBehindIt) {
    ScenarioRun run(line(0, R"("trusted": true)") + line(0, R"("launch": true)") + kOpen +
                    line(2, R"("onboarding": "next")") + line(3, R"("settings": "close")") +
                    line(4, R"("onboarding": "close")"));
    EXPECT_EQ(run.values("onboarding"),
              (std::vector<Json>{{{"shown", true}, {"step", 0}}, {{"shown", true}, {"step", 1}}, {{"shown", false}}}));
    EXPECT_EQ(run.values("settings"), (std::vector<Json>{{{"shown", true}}, {{"shown", false}}}));
    EXPECT_EQ(run.leftOver(), "");
}

// Laid out at its size, the page holds every control and every text whole.
TEST(SettingsWindow, ThePageHoldsEveryControlWhole) {
    ScenarioRun run(launchedInEditor() + line(0, R"("defaults": {"excludedBundleIDs": ["com.example.A"]})") + kOpen);
    const Node& tree = settingsWindow(run)->host()->tree();
    const cairo::PangoTextMeasure measure;
    const cairo::Layout layout(measure);
    const cairo::Size page = layout.sizeThatFits(tree, {2000, 2000});
    EXPECT_EQ(page.width, 480);
    EXPECT_EQ(page.height, 560);
    int controls = 0;
    const std::function<void(const cairo::Placed&, bool)> check = [&](const cairo::Placed& p, bool inList) {
        const platform::Rect& f = p.frame;
        if (!inList) {
            EXPECT_GE(f.x, 0);
            EXPECT_GE(f.y, 0);
            EXPECT_LE(f.maxX(), page.width);
            EXPECT_LE(f.maxY(), page.height);
        }
        if (p.node->kind == Node::Kind::text) {
            EXPECT_GE(f.height + 0.5, measure.measure(p.node->text, p.environment.font, f.width).height)
                << p.node->text;
        }
        if (!p.node->identifier.empty() && p.node->kind != Node::Kind::vstack) ++controls;
        for (const auto& child : p.children) check(child, inList || p.node->kind == Node::Kind::list);
    };
    check(layout.place(tree, page), false);
    EXPECT_EQ(controls, 8);  // six settings, one remove button, Restore Defaults
    EXPECT_EQ(run.leftOver(), "");
}

// A long list builds only the rows in sight, yet scrolled from top to bottom
// it shows every row whole, in its order.
TEST(SettingsWindow, ALongListScrolledThroughShowsEveryRowInItsOrder) {
    std::string ids = R"("com.example.App1000")";
    for (int i = 1; i < 300; ++i) ids += R"(, "com.example.App)" + std::to_string(1000 + i) + "\"";
    ScenarioRun run(launchedInEditor() + line(0, R"("defaults": {"excludedBundleIDs": [)" + ids + "]}") + kOpen);
    const cairo::PangoTextMeasure measure;
    const cairo::Layout layout(measure);
    cairo::Placed page = layout.place(settingsWindow(run)->host()->tree(), {480, 560});
    const std::function<cairo::Placed*(cairo::Placed&)> listOf = [&](cairo::Placed& p) -> cairo::Placed* {
        if (p.node->kind == Node::Kind::list) return &p;
        for (auto& child : p.children)
            if (auto* found = listOf(child)) return found;
        return nullptr;
    };
    cairo::ListScrolls scrolls;
    std::vector<std::string> shown;
    for (int step = 0; step < 1000; ++step) {
        const cairo::Placed& list = *listOf(page);
        ASSERT_LE(list.children.size(), 20u);
        for (const cairo::Placed& row : list.children)
            if (row.frame.y >= list.frame.y && row.frame.maxY() <= list.frame.maxY() &&
                std::find(shown.begin(), shown.end(), rowText(*row.node)) == shown.end())
                shown.push_back(rowText(*row.node));
        const double scrolled = list.scrolled;
        scrolls.scroll(page, {list.frame.x + 1, list.frame.y + 1}, 20);
        scrolls.applyTo(page, layout);
        if (listOf(page)->scrolled == scrolled) break;
    }
    EXPECT_EQ(shown, exclusionRows(run));
    EXPECT_EQ(run.leftOver(), "");
}

}  // namespace
}  // namespace qm::test
