#include <gtest/gtest.h>

#include <tuple>

#include "app/app_run.h"

namespace qm::test {
namespace {

const std::string kFailure = "The operation couldn’t be completed. (SMAppServiceErrorDomain error 1: 50% done %@)";

// Every login-item status the system reports, with and without a failing call.
class LaunchAtLogin : public testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(LaunchAtLogin, TheCheckMarkShowsTheStatusAndChoosingCallsTheMatchingService) {
    const auto [status, fails] = GetParam();
    const bool registered = status == 1;
    AppRun run;
    std::string loginItem = R"("loginItem": {"status": )" + std::to_string(status);
    run.then(kTrusted + kOnboarded + line(0, loginItem + "}") + kLaunch + line(1, R"("menu": "open")") +
             line(1.5, loginItem + (fails ? R"(, "fail": ")" + kFailure + "\"}" : "}")) +
             line(2, R"("menu": "toggleLaunchAtLogin")"));

    EXPECT_EQ(run.values("menu").at(0)[loginRow], menuEntry("Launch at Login", registered, true));
    const Json call = {{"call", registered ? "unregister" : "register"}, {"ok", !fails}};
    EXPECT_EQ(run.values("loginItem"), std::vector<Json>{call});
    EXPECT_EQ(run.values("log"),
              fails ? std::vector<Json>{"Quillmere: Launch at Login toggle failed: " + kFailure} : std::vector<Json>{});
    // Refreshed by the action itself: the mark already shows what the system now says.
    const bool nowOn = fails ? registered : !registered;
    EXPECT_EQ(run.item(loginRow).state(), nowOn ? platform::ControlState::on : platform::ControlState::off);
    EXPECT_TRUE(run.values("alert").empty()) << "a failure is never shown to the user";

    run.then(line(3, R"("menu": "open")"));
    EXPECT_EQ(run.lastMenu()[loginRow], menuEntry("Launch at Login", nowOn, true));
    EXPECT_EQ(run.leftOver(), "");
}

INSTANTIATE_TEST_SUITE_P(Statuses, LaunchAtLogin, testing::Combine(testing::Values(0, 1, 2, 3), testing::Bool()),
                         [](const auto& info) {
                             return "Status" + std::to_string(std::get<0>(info.param)) +
                                    (std::get<1>(info.param) ? "Failing" : "Succeeding");
                         });

TEST(LaunchAtLoginElsewhere, AChangeMadeInTheSystemSettingsShowsAtTheNextOpening) {
    AppRun run;
    run.then(kTrusted + kOnboarded + kLaunch + line(1, R"("menu": "open")") + line(2, R"("loginItem": {"status": 1})") +
             line(3, R"("menu": "open")") + line(4, R"("loginItem": {"status": 2})") + line(5, R"("menu": "open")"));
    std::vector<Json> marks;
    for (const Json& menu : run.values("menu")) marks.push_back(menu[loginRow]["on"]);
    EXPECT_EQ(marks, (std::vector<Json>{false, true, false}));
    EXPECT_TRUE(run.values("loginItem").empty());
    EXPECT_EQ(run.leftOver(), "");
}

// macOS 12 has no login-item service: the item says so by being disabled, and
// nothing is asked of a service that is not there.
TEST(LaunchAtLoginElsewhere, WithoutTheServiceTheItemIsDisabledAndNothingIsCalled) {
    AppRun run;
    run.then(kTrusted + kOnboarded + line(0, R"("loginItem": {"available": false})") + kLaunch +
             line(1, R"("menu": "toggleLaunchAtLogin")"));
    run.delegate().toggleLaunchAtLogin();
    EXPECT_EQ(run.lastMenu()[loginRow], menuEntry("Launch at Login", false, false));
    EXPECT_TRUE(run.values("loginItem").empty());
    EXPECT_TRUE(run.values("log").empty());
    EXPECT_EQ(run.leftOver(), "");
}

}  // namespace
}  // namespace qm::test
