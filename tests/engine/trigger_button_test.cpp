#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scenario_harness.h"

namespace qm::test {
namespace {

using Lines = std::vector<std::string>;

std::string withTrigger(int button) {
    return launchedInEditor() + line(0, R"("defaults": {"triggerButton": )" + std::to_string(button) + "}");
}

// The back button takes the middle button's place: it holds, drags, locks
// and ends sessions, while the middle button goes to the application.
TEST(TriggerButton, ASideButtonStartsDragsAndLocksSessions) {
    ScenarioRun run(withTrigger(3) + line(0.5, R"("down": "middle")") + line(0.6, R"("up": "middle")") +
                    line(1, R"("move": [400, 300])") + line(1, R"("down": 3)") + line(1.1, R"("move": [400, 420])") +
                    line(1.5, R"("up": 3)") + line(2, R"("move": [400, 300])") + line(2, R"("down": 3)") +
                    line(2.1, R"("up": 3)") + line(2.2, R"("move": [400, 200])") + line(2.5, R"("down": 3)") +
                    line(2.6, R"("up": 3)"));
    EXPECT_EQ(decisions(run), (Lines{"0.5 mouse 25/2 pass", "0.6 mouse 26/2 pass", "1.0 mouse 25/3 consume",
                                     "1.5 mouse 26/3 consume", "2.0 mouse 25/3 consume", "2.1 mouse 26/3 consume",
                                     "2.5 mouse 25/3 consume", "2.6 mouse 26/3 pass"}));
    EXPECT_EQ(deliveries(run), (Lines{"0.5 501 25/2", "0.6 501 26/2", "2.6 501 26/3"}));
    EXPECT_EQ(run.values("state"), (std::vector<Json>{"pressed", "idle", "pressed", "locked", "idle"}));
    EXPECT_EQ(run.values("escTap"), (std::vector<Json>{true, false}));
    EXPECT_FALSE(run.records("scroll").empty());
    EXPECT_EQ(run.leftOver(), "");
}

// A locked session ends on a press of left, right, middle or the trigger, and
// that press is consumed; its release, and any other button, goes through.
TEST(TriggerButton, ALockedSessionEndsOnAnyClickButAnotherSideButton) {
    struct Case {
        const char* button;
        bool ends;
        const char* press;
    };
    for (const Case& c :
         {Case{"\"middle\"", true, "1.5 mouse 25/2 consume"}, Case{"\"left\"", true, "1.5 clicks 1/0 consume"},
          Case{"\"right\"", true, "1.5 clicks 3/1 consume"}, Case{"4", false, "1.5 mouse 25/4 pass"}}) {
        SCOPED_TRACE(c.button);
        ScenarioRun run(withTrigger(3) + line(1, R"("move": [400, 300])") + line(1, R"("down": 3)") +
                        line(1.1, R"("up": 3)") + line(1.5, std::string("\"down\": ") + c.button) +
                        line(1.6, std::string("\"up\": ") + c.button) + line(2, R"("end": true)"));
        EXPECT_EQ(decisions(run).at(2), c.press);
        EXPECT_EQ(run.values("state").back(), c.ends ? "idle" : "locked");
        EXPECT_EQ(deliveries(run).size(), c.ends ? 1u : 2u);  // the release, and a passed press
        EXPECT_EQ(run.leftOver(), "");
    }
}

// Shift and an excluded application give the trigger back to the application,
// as they do the middle button.
TEST(TriggerButton, ShiftAndExcludedApplicationsPassTheTrigger) {
    ScenarioRun run(withTrigger(3) + line(1, R"("down": 3, "flags": ["shift"])") +
                    line(1.1, R"("up": 3, "flags": ["shift"])") +
                    line(2, R"("frontmost": {"bundle": "com.vmware.fusion", "name": "VMware Fusion", "pid": 503})") +
                    line(2, R"("down": 3)") + line(2.1, R"("up": 3)"));
    EXPECT_EQ(decisions(run),
              (Lines{"1.0 mouse 25/3 pass", "1.1 mouse 26/3 pass", "2.0 mouse 25/3 pass", "2.1 mouse 26/3 pass"}));
    EXPECT_TRUE(run.records("state").empty());
    EXPECT_EQ(run.leftOver(), "");
}

// The link rule is a middle-click rule: with a side button as the trigger a
// press over a link starts a session, and a middle click on it is left alone.
TEST(TriggerButton, LinksKeepTheirMiddleClickAndTheTriggerScrollsOverThem) {
    ScenarioRun run(withTrigger(3) +
                    line(0, R"("frontmost": {"bundle": "com.apple.Safari", "name": "Safari", "pid": 502})") +
                    line(0, R"("ax": {"bounds": [350, 250, 100, 100], "roles": ["AXStaticText", "AXLink"]})") +
                    line(1, R"("move": [400, 300])") + line(1, R"("down": "middle")") + line(1.1, R"("up": "middle")") +
                    line(2, R"("down": 3)") + line(2.1, R"("up": 3)") + line(2.5, R"("key": 53)"));
    EXPECT_EQ(decisions(run), (Lines{"1.0 mouse 25/2 pass", "1.1 mouse 26/2 pass", "2.0 mouse 25/3 consume",
                                     "2.1 mouse 26/3 consume", "2.5 escape 10 consume"}));
    EXPECT_TRUE(run.records("post").empty());
    EXPECT_EQ(run.values("state"), (std::vector<Json>{"pressed", "locked", "idle"}));
    EXPECT_EQ(run.world().accessibility().requests(), 0u);
    EXPECT_EQ(run.leftOver(), "");
}

}  // namespace
}  // namespace qm::test
