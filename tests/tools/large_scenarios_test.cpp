#include <gtest/gtest.h>

#include <string>

#include "scenario_harness.h"

// Sizes at which a reader or a simulation whose cost grows with the square of
// the input could not finish within the test's time limit, while a linear one
// takes a moment.
namespace qm::test {
namespace {

TEST(LargeScenarios, AnObjectOfHalfAMillionKeysIsReadWhole) {
    constexpr int keys = 500'000;
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
// ids repeat after a hundred thousand, so every later window replaces one.
TEST(LargeScenarios, TwoHundredThousandWindowsCostLittleToPutAndNothingToATick) {
    std::string text = line(0, R"("trusted": true)") +
                       line(0, R"("frontmost": {"bundle": "com.apple.TextEdit", "name": "TextEdit", "pid": 501})");
    for (int i = 0; i < 200'000; ++i)
        text += window(i % 100'000, 2000 + i, "[" + std::to_string(i % 1000) + ", 0, 1, 1]");
    text += window(200'000, 501, "[100, 100, 1200, 700]") + laterLaunch();
    // Ten locked minutes with the whole window list in place: thirty thousand ticks.
    text += line(1, R"("move": [400, 300])") + line(1, R"("down": "middle")") + line(1, R"("up": "middle")") +
            line(1, R"("move": [400, 420])") + line(601, R"("key": 53)");
    // The front window at x = 5 is the last one put there (i = 199005, id 99005);
    // closed, the one put before it (i = 198005, id 98005) is in front.
    text += line(602, R"("move": [5.5, 0.5])") + line(602, R"("down": "left")") + line(603, R"("closeWindow": 99005)") +
            line(603, R"("down": "left")");
    ScenarioRun run(text);
    EXPECT_EQ(run.records("scroll").size(), 30'000u);
    EXPECT_EQ(run.values("scroll").back()["route"], "hid");
    EXPECT_EQ(deliveries(run), (std::vector<std::string>{"602.0 201005 1/0", "603.0 200005 1/0"}));
    EXPECT_EQ(run.leftOver(), "");
}

}  // namespace
}  // namespace qm::test
