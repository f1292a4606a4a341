#include <gtest/gtest.h>

#include "scenario_harness.h"

namespace qm::test {
namespace {

TEST(Session, ClickToLockEndedByEscapeMatchesTheWorkedTrace) {
    ScenarioRun run(launchedInEditor() + line(1, R"("move": [400, 300])") + line(1, R"("down": "middle")") +
                    line(1.1, R"("up": "middle")") + line(1.2, R"("move": [400, 420])") + line(1.3, R"("key": 53)"));
    for (const auto& r : run.records()) std::cout << tools::dumpLine(r) << "\n";
    EXPECT_EQ(run.leftOver(), "");
}

}  // namespace
}  // namespace qm::test
