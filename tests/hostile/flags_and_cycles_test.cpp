#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_delegate.h"
#include "scenario_harness.h"

namespace qm::test {
namespace {

// The first-launch flag under every kind of stored value: only what reads as
// true keeps the onboarding away.
TEST(StoredFlags, TheOnboardingFlagReadsAsTheSystemReadsABoolean) {
    struct Case {
        const char* stored;
        bool onboarded;
    };
    const std::vector<Case> cases{
        {"true", true},   {"false", false},   {"1", true},        {"0", false},           {"2.5", true},
        {"0.0", false},   {R"("YES")", true}, {R"("no")", false}, {R"("  +7")", true},    {R"("0012")", true},
        {R"("")", false}, {R"("-0")", false}, {"[true]", false},  {R"({"a": 1})", false}, {"null", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        ScenarioRun run(line(0, R"("trusted": true)") +
                        line(0, std::string(R"("defaults": {"didShowOnboarding": )") + c.stored + "}") +
                        line(0, R"("launch": true)"));
        EXPECT_EQ(run.records("onboarding").empty(), c.onboarded);
        // A first launch writes a well-formed flag over whatever was there.
        EXPECT_EQ(run.values("defaults").empty(), c.onboarded);
        EXPECT_EQ(run.leftOver(), "");
    }
}

// An accessibility tree whose parents lead back to the hit element: the
// search for a link still ends.
TEST(HostileAccessibility, AnAccessibilityCycleEndsTheLinkSearch) {
    ScenarioRun run(
        line(0, R"("trusted": true)") +
        line(0, R"("frontmost": {"bundle": "com.apple.Safari", "name": "Safari", "pid": 502})") +
        line(0, R"("ax": {"bounds": [0, 0, 500, 500], "roles": ["AXStaticText", "AXGroup"], "cyclic": true})") +
        laterLaunch() + line(1, R"("move": [100, 100])") + line(1, R"("down": "middle")"));
    EXPECT_EQ(run.values("state"), (std::vector<Json>{"pressed"}));
    // The request to build the tree, the hit test, then a role and a parent for each of 12 elements but the last.
    EXPECT_EQ(run.world().accessibility().requests(), 2u + 2 * 12 - 1);
    EXPECT_EQ(run.leftOver(), "");
}

}  // namespace
}  // namespace qm::test
