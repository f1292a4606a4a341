#include <gtest/gtest.h>

#include <string>

#include "scenario_harness.h"

namespace qm::test {
namespace {

// A browser frontmost over the whole display and an accessibility region
// under the pointer.
std::string browserWith(const std::string& region) {
    return line(0, R"("trusted": true)") +
           line(0, R"("frontmost": {"bundle": "com.apple.Safari", "name": "Safari", "pid": 501})") +
           line(0, R"("window": {"id": 1, "pid": 501, "layer": 0, "bounds": [0, 0, 1440, 900]})") +
           (region.empty() ? "" : line(0, R"("ax": )" + region)) + laterLaunch();
}

// One middle click there, then a left click.
std::string clicks() {
    return line(1, R"("move": [400, 300])") + line(1, R"("down": "middle")") + line(1.1, R"("up": "middle")") +
           // A left click ends a locked session even where no Escape tap could be installed.
           line(1.2, R"("down": "left")") + line(1.2, R"("up": "left")");
}

ScenarioRun clickInBrowser(const std::string& region) {
    return ScenarioRun(browserWith(region) + clicks());
}

const std::vector<Json> kLinkClick{"swallowUp", "idle"};
const std::vector<Json> kSession{"pressed", "locked", "idle"};

TEST(AccessibilityChains, OddRolesAndParentsNeitherStopTheClickNorInventALink) {
    struct Case {
        const char* name;
        const char* roles;  // and whatever else the region over the whole display holds
        const std::vector<Json>& states;
    };
    const Case cases[] = {
        {"chain ends before a link", R"(["AXStaticText", "AXGroup"])", kSession},
        {"last parent a string", R"(["AXStaticText"], "lastParent": "AXLink")", kSession},
        {"last parent a number", R"(["AXStaticText"], "lastParent": 42)", kSession},
        {"last parent an object", R"(["AXStaticText"], "lastParent": {"AXRole": "AXLink"})", kSession},
        {"role a list holding the link role", R"([["AXLink"]])", kSession},
        {"role in the wrong case", R"(["axlink", "AXLINK"])", kSession},
        {"role with a trailing space", R"(["AXLink "])", kSession},
        {"only unreadable roles", R"([null, null])", kSession},
        {"roles of every other type are passed over", R"([{"AXRole": "AXGroup"}, true, null, 2.5, [], "AXLink"])",
         kLinkClick},
        {"a link with an odd parent above it", R"(["AXStaticText", "AXLink"], "lastParent": 3)", kLinkClick},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScenarioRun run = clickInBrowser(std::string(R"({"bounds": [0, 0, 1440, 900], "roles": )") + c.roles + "}");
        EXPECT_EQ(run.values("state"), c.states);
        // A link gets exactly the replacement click; anything else none.
        EXPECT_EQ(run.values("post").size(), c.states == kLinkClick ? 2u : 0u);
        EXPECT_EQ(run.leftOver(), "");
    }
}

TEST(AccessibilityChains, WithdrawnPermissionReadsAsNoLink) {
    // Clicks already queued at the tap when the permission went still reach
    // the engine before it hears of the withdrawal; every question it asks
    // about them is refused.
    ScenarioRun run;
    run.world().notifications().holdBack(true);
    run.then(browserWith(R"({"bounds": [0, 0, 1440, 900], "roles": ["AXLink"]})") + line(0.5, R"("trusted": false)"));
    for (const auto& tap : run.world().events().taps()) tap->enabled = true;
    run.then(clicks());
    // Nor can the tap for the left click be made: the session stays locked
    // until the engine hears of the withdrawal.
    EXPECT_EQ(run.values("state"), (std::vector<Json>{"pressed", "locked"}));
    EXPECT_TRUE(run.values("post").empty());
    EXPECT_EQ(run.leftOver(), "");
}

}  // namespace
}  // namespace qm::test
