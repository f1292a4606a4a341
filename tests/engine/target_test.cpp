#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scenario_harness.h"

namespace qm::test {
namespace {

using Lines = std::vector<std::string>;

// Trusted and launched with the given application frontmost; no windows yet.
std::string launchedWith(const std::string& bundle, int pid) {
    return line(0, R"("trusted": true)") +
           line(0, R"("frontmost": {"bundle": ")" + bundle + R"(", "pid": )" + std::to_string(pid) + "}") +
           laterLaunch();
}

std::string window(int id, int pid, const std::string& bounds, int layer = 0) {
    return line(0, R"("window": {"id": )" + std::to_string(id) + R"(, "pid": )" + std::to_string(pid) +
                       R"(, "layer": )" + std::to_string(layer) + R"(, "bounds": )" + bounds + "}");
}

// A middle click at (400, 220), where the link regions of these tests lie.
std::string middleClick(double at) {
    return line(at, R"("move": [400, 220])") + line(at, R"("down": "middle")") + line(at + 0.1, R"("up": "middle")");
}

// The user's list is read at every press, so a change applies to the next one.
TEST(Exclusions, UserListIsHonouredAndReadAgainAtEachPress) {
    ScenarioRun run(launchedWith("com.example.App", 502) + window(1, 502, "[0, 0, 1440, 900]") +
                    line(0.5, R"("defaults": {"excludedBundleIDs": ["com.other.App", "com.example.App"]})") +
                    middleClick(1) + line(1.5, R"("defaults": {"excludedBundleIDs": []})") + middleClick(2) +
                    line(2.5, R"("key": 53)"));
    EXPECT_EQ(deliveries(run), (Lines{"1.0 502 25/2", "1.1 502 26/2"}));
    EXPECT_EQ(run.values("state"), (std::vector<Json>{"pressed", "locked", "idle"}));
    EXPECT_EQ(run.records("state").front()["t"], 2.0);
    EXPECT_EQ(run.leftOver(), "");
}

TEST(Exclusions, OnlyTheFrontmostApplicationCounts) {
    // An excluded application in front, the pointer over another one's window.
    ScenarioRun excludedInFront(launchedWith("com.vmware.fusion", 600) + window(1, 501, "[0, 0, 1440, 900]") +
                                middleClick(1));
    EXPECT_EQ(deliveries(excludedInFront), (Lines{"1.0 501 25/2", "1.1 501 26/2"}));
    EXPECT_TRUE(excludedInFront.records("state").empty());
    EXPECT_EQ(excludedInFront.leftOver(), "");

    // The other way round: the excluded application's window under the pointer scrolls.
    ScenarioRun excludedBehind(launchedWith("com.apple.TextEdit", 501) + window(1, 600, "[0, 0, 1440, 900]") +
                               middleClick(1) + line(1.2, R"("move": [400, 400])") + line(1.5, R"("key": 53)"));
    EXPECT_EQ(excludedBehind.values("state"), (std::vector<Json>{"pressed", "locked", "idle"}));
    EXPECT_TRUE(deliveries(excludedBehind).empty());
    EXPECT_FALSE(excludedBehind.records("scroll").empty());
    EXPECT_EQ(excludedBehind.leftOver(), "");
}

std::string linkRegion(const std::string& roles) {
    return line(0, R"("ax": {"bounds": [300, 200, 200, 50], "roles": )" + roles + "}");
}

TEST(Links, MiddleClickOnABrowserLinkBecomesAnOrdinaryClick) {
    ScenarioRun run(launchedWith("com.apple.Safari", 700) + window(1, 700, "[0, 0, 1440, 900]") +
                    linkRegion(R"(["AXStaticText", "AXLink"])") + middleClick(1));
    EXPECT_EQ(run.values("post"), (std::vector<Json>{
                                      Json::parse(R"({"type": 25, "button": 2, "at": [400, 220], "userData": 19779})"),
                                      Json::parse(R"({"type": 26, "button": 2, "at": [400, 220], "userData": 19779})"),
                                  }));
    std::vector<Json> verdicts;
    for (const Json& tapped : run.values("tapped")) verdicts.push_back(tapped["verdict"]);
    // The real press, the two posted events, the real release.
    EXPECT_EQ(verdicts, (std::vector<Json>{"consume", "pass", "pass", "consume"}));
    EXPECT_EQ(deliveries(run), (Lines{"1.0 700 25/2", "1.0 700 26/2"}));
    EXPECT_EQ(run.values("state"), (std::vector<Json>{"swallowUp", "idle"}));
    EXPECT_TRUE(run.records("marker").empty());
    EXPECT_EQ(run.leftOver(), "");
}

// A second press on a link while the first one's release is still owed (a
// lost release) posts a second click, but no session existed to end.
TEST(Links, ALinkPressWhileAReleaseIsOwedRecordsNoSession) {
    ScenarioRun run(launchedWith("com.apple.Safari", 700) + window(1, 700, "[0, 0, 1440, 900]") +
                    linkRegion(R"(["AXStaticText", "AXLink"])") + line(1, R"("move": [400, 220])") +
                    line(1, R"("down": "middle")") + line(1.5, R"("down": "middle")") + line(1.6, R"("up": "middle")"));
    EXPECT_EQ(run.values("state"), (std::vector<Json>{"swallowUp", "idle"}));
    EXPECT_EQ(run.times("state"), (std::vector<double>{1.0, 1.6}));
    EXPECT_EQ(run.values("post").size(), 4u);
    EXPECT_EQ(run.leftOver(), "");
}

TEST(Links, PlainTextInABrowserAndLinksElsewhereStartSessions) {
    ScenarioRun offTheLink(launchedWith("com.apple.Safari", 700) + window(1, 700, "[0, 0, 1440, 900]") +
                           linkRegion(R"(["AXStaticText", "AXLink"])") + line(1, R"("move": [400, 600])") +
                           line(1, R"("down": "middle")"));
    EXPECT_EQ(offTheLink.values("state"), (std::vector<Json>{"pressed"}));
    EXPECT_TRUE(offTheLink.records("post").empty());
    EXPECT_EQ(offTheLink.leftOver(), "");

    ScenarioRun notABrowser(launchedWith("com.apple.TextEdit", 501) + window(1, 501, "[0, 0, 1440, 900]") +
                            linkRegion(R"(["AXStaticText", "AXLink"])") + middleClick(1));
    EXPECT_EQ(notABrowser.values("state"), (std::vector<Json>{"pressed", "locked"}));
    EXPECT_TRUE(notABrowser.records("post").empty());
    EXPECT_EQ(notABrowser.leftOver(), "");
}

// The link may be the element under the pointer or up to eleven parents above it.
TEST(Links, SearchClimbsTwelveElements) {
    for (const auto& [groups, firstState] : {std::pair{11, "swallowUp"}, std::pair{12, "pressed"}}) {
        std::string roles = "[";
        for (int i = 0; i < groups; ++i) roles += R"("AXGroup", )";
        ScenarioRun run(launchedWith("com.google.Chrome", 700) + window(1, 700, "[0, 0, 1440, 900]") +
                        linkRegion(roles + R"("AXLink"])") + line(1, R"("move": [400, 220])") +
                        line(1, R"("down": "middle")"));
        EXPECT_EQ(run.values("state"), std::vector<Json>{firstState}) << groups;
        EXPECT_EQ(run.leftOver(), "");
    }
}

// The search runs while the press waits, and everything behind it: it gives
// up once 0.05 s have passed, each query waiting at most 0.025 s, and what it
// did not finish counts as no link.
TEST(Links, TheSearchHoldsThePressNoLongerThanItsBudgetHoweverSlowTheBrowser) {
    struct Case {
        double latency;
        const char* firstState;
        double answeredAt;
    };
    // The first query asks the browser to build its tree; then the hit test,
    // a role, a parent, a role.
    for (const Case& c : {Case{0.01, "swallowUp", 1.05}, Case{0.02, "pressed", 1.06}, Case{0.0249, "pressed", 1.0747},
                          Case{30, "pressed", 1.05}}) {
        SCOPED_TRACE(c.latency);
        ScenarioRun run(launchedWith("com.google.Chrome", 700) + window(1, 700, "[0, 0, 1440, 900]") +
                        linkRegion(R"(["AXStaticText", "AXLink"])") + line(1, R"("move": [400, 220])") +
                        line(1, "\"axLatency\": " + std::to_string(c.latency)));
        // A timer due while the press waits fires once the tap has answered.
        std::vector<double> fired;
        auto timer =
            run.world().runLoop().scheduledTimer(0.001, false, [&] { fired.push_back(run.times("tapped")[0]); });
        run.then(line(1, R"("down": "middle")"));
        EXPECT_EQ(run.values("state"), std::vector<Json>{c.firstState});
        EXPECT_EQ(run.times("tapped").front(), c.answeredAt);
        EXPECT_EQ(fired, std::vector<double>{c.answeredAt});
        timer.reset();
        EXPECT_EQ(run.leftOver(), "");
    }
}

// Electron applications build their web content's tree only once an assistive
// program asks: the first search in each process asks, and only the first.
TEST(Links, EachWebApplicationIsAskedOnceToBuildItsTreeBeforeItsFirstSearch) {
    const std::string slack = launchedWith("com.tinyspeck.slackmacgap", 800) + window(1, 800, "[0, 0, 1440, 900]") +
                              line(0, R"("ax": {"bounds": [300, 200, 200, 50], "roles": ["AXStaticText", "AXLink"],)"
                                      R"( "pid": 800, "manual": true})");
    // Another process's link on top is no part of Slack's tree.
    ScenarioRun run(slack + line(0, R"("ax": {"bounds": [0, 0, 1440, 900], "roles": ["AXLink"], "pid": 801})") +
                    middleClick(1) + middleClick(2));
    EXPECT_EQ(run.values("axManual"), std::vector<Json>{800});
    EXPECT_EQ(run.times("axManual"), std::vector<double>{1.0});
    EXPECT_EQ(run.values("state"), (std::vector<Json>{"swallowUp", "idle", "swallowUp", "idle"}));
    EXPECT_EQ(run.values("post").size(), 4u);
    EXPECT_EQ(run.leftOver(), "");

    // A process that did not take the request in time is not asked again.
    ScenarioRun late(slack + line(1, R"("axLatency": 1)") + middleClick(1) + line(1.5, R"("key": 53)") +
                     line(2, R"("axLatency": 0)") + middleClick(3));
    EXPECT_TRUE(late.values("axManual").empty());
    EXPECT_EQ(late.values("state"), (std::vector<Json>{"pressed", "locked", "idle", "pressed", "locked"}));
    EXPECT_EQ(late.leftOver(), "");
}

// Scrolls with the anchor at (400, 300) while the pointer visits each point in turn, 0.2 s apiece.
std::string visiting(const std::vector<std::string>& points) {
    std::string text = line(1, R"("move": [400, 300])") + line(1, R"("down": "middle")");
    double at = 1;
    for (const std::string& p : points) {
        text += line(at, "\"move\": " + p);
        at += 0.2;
    }
    return text + line(at, R"("up": "middle")");
}

// The route of each scroll record, with the time it was posted.
Lines routes(const ScenarioRun& run) {
    Lines out;
    for (const Json& record : run.records("scroll")) {
        const Json& s = record["scroll"];
        std::string text = s["route"].get<std::string>();
        if (s["route"] == "pid") text += " " + s["pid"].dump() + " " + s["at"].dump() + " window " + s["window"].dump();
        if (out.empty() || out.back() != text) out.push_back(text);
    }
    return out;
}

TEST(Routing, ScrollsFollowThePointerInsideTheTargetAndAddressItOutside) {
    // Right edge, one point past it, bottom edge, one point below it.
    ScenarioRun run(launchedWith("com.apple.TextEdit", 501) + window(1, 502, "[100, 100, 600, 400]") +
                    visiting({"[700, 300]", "[701, 300]", "[400, 500]", "[400, 501]"}));
    // Addressed to the process, the event names the target's window, which the event stream no longer finds.
    EXPECT_EQ(routes(run), (Lines{"hid", "pid 502 [400,300] window 1", "hid", "pid 502 [400,300] window 1"}));
    for (const Json& record : run.records("scroll")) {
        const double t = record["t"].get<double>();
        const bool outside = (t > 1.2 && t <= 1.4) || t > 1.6;
        EXPECT_EQ(record["scroll"]["route"], outside ? "pid" : "hid") << record.dump();
    }
    EXPECT_EQ(run.leftOver(), "");
}

TEST(Routing, WithNoWindowUnderTheAnchorEverythingGoesToTheStream) {
    ScenarioRun run(launchedWith("com.apple.TextEdit", 501) + window(1, 501, "[800, 0, 640, 900]") +
                    visiting({"[900, 300]", "[400, 600]"}));
    EXPECT_EQ(routes(run), (Lines{"hid"}));
    EXPECT_EQ(run.leftOver(), "");
}

// Desktop pictures and icons lie below layer 0: no document to scroll there.
TEST(Routing, AWindowBelowTheOrdinaryLayerIsNoTarget) {
    ScenarioRun run(launchedWith("com.apple.TextEdit", 501) + window(1, 900, "[300, 200, 200, 200]", -1) +
                    window(2, 901, "[0, 0, 1440, 900]", -2147483648) + visiting({"[400, 600]"}));
    EXPECT_EQ(routes(run), (Lines{"hid"}));
    EXPECT_EQ(run.leftOver(), "");
}

// Over the anchor, front to back: the marker (this process, cursor level), a
// window at menu-bar level, a window of this process, then two documents.
TEST(Routing, TargetIsTheFrontOrdinaryWindowOfAnotherProcess) {
    ScenarioRun run(launchedWith("com.apple.TextEdit", 501) + window(1, 501, "[0, 0, 1440, 900]") +
                    window(2, 502, "[200, 200, 400, 300]") + window(3, 300, "[0, 0, 1440, 900]", 24) +
                    window(4, 1000, "[350, 250, 100, 100]") + visiting({"[400, 600]"}));
    ASSERT_EQ(run.world().ownPID(), 1000);
    EXPECT_EQ(run.values("marker").front(), Json::parse(R"({"frame": [380, 580, 40, 40]})"));
    EXPECT_EQ(routes(run), (Lines{"pid 502 [400,300] window 2"}));
    EXPECT_EQ(run.leftOver(), "");
}

}  // namespace
}  // namespace qm::test
