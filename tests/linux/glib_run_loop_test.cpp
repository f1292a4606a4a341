#include "platform/linux/glib_run_loop.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "x11/desktop.h"

namespace qm::desktop {
namespace {

using platform::RunLoopMode;

// GLib's default main context turns while the test waits.
using x11test::waitFor;

TEST(GLibRunLoop, ATimerOfTheDefaultModeWaitsWhileAModalAlertRuns) {
    GLibRunLoop loop;
    int common = 0, ordinary = 0;
    auto steady = loop.makeTimer(0.001, true, [&] { ++common; });
    loop.addTimer(*steady, RunLoopMode::common);
    auto poll = loop.scheduledTimer(0.001, true, [&] { ++ordinary; });

    loop.setMode(RunLoopMode::modalPanel);
    ASSERT_TRUE(waitFor([&] { return common >= 20; }));
    EXPECT_EQ(ordinary, 0);

    // Back in the default mode the waiting timer goes on in step with the
    // other, without a burst for the twenty ticks it missed; their phases
    // differ, so either may be a tick ahead at each end.
    loop.setMode(RunLoopMode::defaultMode);
    const int before = common;
    ASSERT_TRUE(waitFor([&] { return common >= before + 10; }));
    EXPECT_GE(ordinary, 1);
    EXPECT_LE(ordinary, common - before + 2);
}

TEST(GLibRunLoop, TimersEndAsTheyShouldEvenInsideTheirOwnCallbacks) {
    GLibRunLoop loop;
    std::vector<std::string> fired;
    auto once = loop.scheduledTimer(0.001, false, [&] { fired.push_back("once"); });
    std::unique_ptr<platform::Timer> selfEnding;
    selfEnding = loop.scheduledTimer(0.001, true, [&] {
        fired.push_back("self");
        selfEnding.reset();
    });
    auto invalidated = loop.scheduledTimer(0.001, true, [&] { fired.push_back("invalidated"); });
    invalidated->invalidate();
    int ticks = 0;
    auto clock = loop.scheduledTimer(0.001, true, [&] { ++ticks; });

    ASSERT_TRUE(waitFor([&] { return ticks >= 20; }));
    EXPECT_EQ(fired, (std::vector<std::string>{"once", "self"}));
    EXPECT_FALSE(once->isValid());
    EXPECT_FALSE(invalidated->isValid());
    EXPECT_TRUE(clock->isValid());
}

TEST(GLibRunLoop, ASourceIsLiveOnlyInTheModesItWasAddedIn) {
    GLibRunLoop loop;
    auto tap = GLibRunLoop::makeSource();
    auto escape = GLibRunLoop::makeSource();
    loop.addSource(*tap, RunLoopMode::common);
    loop.addSource(*escape, RunLoopMode::defaultMode);
    loop.setMode(RunLoopMode::eventTracking);
    EXPECT_TRUE(loop.isLive(tap->modes().modes));
    EXPECT_FALSE(loop.isLive(escape->modes().modes));
    loop.removeSource(*tap, RunLoopMode::common);
    EXPECT_FALSE(loop.isLive(tap->modes().modes));
}

}  // namespace
}  // namespace qm::desktop
