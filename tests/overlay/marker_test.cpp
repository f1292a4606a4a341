#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scenario_harness.h"

namespace qm::test {
namespace {

// A session locked at the point, then ended by Escape.
std::string lockedAndEscapedAt(const std::string& point) {
    return line(1, "\"move\": " + point) + line(1, R"("down": "middle")") + line(1.1, R"("up": "middle")") +
           line(1.2, R"("key": 53)");
}

TEST(Marker, SitsCentredOnTheAnchorForTheLengthOfTheSession) {
    ScenarioRun run(launchedInEditor() + lockedAndEscapedAt("[100, 100]"));
    EXPECT_EQ(run.records("marker"),
              (std::vector<Json>{Json::parse(R"({"t": 1.0, "marker": {"frame": [80, 780, 40, 40]}})"),
                                 Json::parse(R"({"t": 1.2, "marker": null})")}));
    EXPECT_EQ(run.leftOver(), "");
}

// A display above the primary lies at negative Quartz y; the marker must land
// on it, not be mirrored onto the primary.
TEST(Marker, FindsItsPlaceOnADisplayAboveThePrimary) {
    ScenarioRun run(line(0, R"("screens": [[0, 0, 1440, 900], [0, 900, 1920, 1080]])") + launchedInEditor() +
                    lockedAndEscapedAt("[50, -500]"));
    EXPECT_EQ(run.values("marker"), (std::vector<Json>{Json::parse(R"({"frame": [30, 1380, 40, 40]})"), nullptr}));
    EXPECT_EQ(run.leftOver(), "");
}

TEST(Marker, ClicksOnTheMarkerReachTheWindowBeneathIt) {
    ScenarioRun run(launchedInEditor() + line(1, R"("move": [100, 100])") + line(1, R"("down": "middle")") +
                    line(1.1, R"("down": "left")") + line(1.2, R"("up": "left")") + line(1.3, R"("up": "middle")") +
                    line(1.4, R"("key": 53)"));
    ASSERT_EQ(run.values("marker").size(), 2u);
    EXPECT_EQ(run.values("delivered"), (std::vector<Json>{Json::parse(R"({"pid": 501, "type": 1, "button": 0})"),
                                                          Json::parse(R"({"pid": 501, "type": 2, "button": 0})")}));
    EXPECT_EQ(run.leftOver(), "");
}

}  // namespace
}  // namespace qm::test
