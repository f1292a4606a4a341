#include <gtest/gtest.h>

#include <string>

#include "sanitized.h"
#include "scenario_harness.h"

// Sizes at which a reader or a simulation whose cost grows with the square of
// the input could not finish within the test's time limit, while a linear one
// takes a moment. Under the sanitizers, where everything is far dearer, a
// tenth of them: there the tests look for faults in memory, not for cost.
namespace qm::test {
namespace {

TEST(LargeScenarios, AnObjectOfHalfAMillionKeysIsReadWhole) {
    constexpr int keys = sanitized ? 50'000 : 500'000;
    std::string object;
    for (int i = 0; i < keys; ++i) object += (i ? ", \"key" : "\"key") + std::to_string(i) + "\": " + std::to_string(i);
    ScenarioRun run(line(0, R"("defaults": {)" + object + "}"));
    for (const int i : {0, keys / 2, keys - 1}) {
        const platform::Value* stored = run.world().defaults().get("key" + std::to_string(i));
        ASSERT_NE(stored, nullptr) << i;
        EXPECT_EQ(stored->exactInteger(), i);
    }
}

std::string window(int id, int pid, const std::string& bounds) {
    return line(0, R"("window": {"id": )" + std::to_string(id) + R"(, "pid": )" + std::to_string(pid) +
                       R"(, "layer": 0, "bounds": )" + bounds + "}");
}

// Window i is a point-sized window at x = i mod 1000, owned by process 2000 + i;
// ids repeat after half of them, so every later window replaces one.
TEST(LargeScenarios, TwoHundredThousandWindowsCostLittleToPutAndNothingToATick) {
    constexpr int windows = sanitized ? 20'000 : 200'000, minutes = sanitized ? 1 : 10;
    // The editor's window at the back: whatever looks for the window under the
    // pointer walks past all the others to find it.
    std::string text = line(0, R"("trusted": true)") +
                       line(0, R"("frontmost": {"bundle": "com.apple.TextEdit", "name": "TextEdit", "pid": 501})") +
                       window(windows, 501, "[100, 100, 1200, 700]");
    for (int i = 0; i < windows; ++i)
        text += window(i % (windows / 2), 2000 + i, "[" + std::to_string(i % 1000) + ", 0, 1, 1]");
    text += laterLaunch();
    // Locked minutes with the whole window list in place, fifty ticks a second.
    const double end = 1 + 60 * minutes;
    text += line(1, R"("move": [400, 300])") + line(1, R"("down": "middle")") + line(1, R"("up": "middle")") +
            line(1, R"("move": [400, 420])") + line(end, R"("key": 53)");
    // The front window at x = 5 is the last one put there; closed, the one put
    // a thousand windows before it is in front.
    const int last = windows - 995, before = last - 1000;
    text += line(end + 1, R"("move": [5.5, 0.5])") + line(end + 1, R"("down": "left")") +
            line(end + 2, "\"closeWindow\": " + std::to_string(last % (windows / 2))) +
            line(end + 2, R"("down": "left")");
    ScenarioRun run(text);
    EXPECT_EQ(run.records("scroll").size(), 3'000u * minutes);
    EXPECT_EQ(run.values("scroll").back()["route"], "hid");
    const auto at = [&](double t, int pid) { return Json(t).dump() + " " + std::to_string(2000 + pid) + " 1/0"; };
    EXPECT_EQ(deliveries(run), (std::vector<std::string>{at(end + 1, last), at(end + 2, before)}));
    EXPECT_EQ(run.leftOver(), "");
}

}  // namespace
}  // namespace qm::test
