#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/main_sequence.h"
#include "engine/scroll_controller.h"
#include "platform/sim/world.h"
#include "platform/value.h"
#include "sanitized.h"

namespace qm::test {
namespace {

using platform::Point;
using sim::Ledger;
using sim::Micros;
namespace button = platform::mouse_button;

constexpr Micros second = 1'000'000;
constexpr Micros tick = 20'000;
constexpr Point anchor{400, 300};
constexpr Point onLink{1000, 600};
constexpr int64_t escapeKey = 53;

// A later launch with the permission, a browser frontmost over the whole
// display and a link in one corner of it. No observer unless a test sets one:
// tracing would cost more than the gestures it traces.
struct Desktop {
    Desktop() {
        world.setTrusted(true);
        world.defaults().put("didShowOnboarding", true);
        world.workspace().setFrontmost(platform::RunningApplication{"com.apple.Safari", "Safari", 502});
        world.windows().putWindow(1, 502, 0, {0, 0, 1440, 900});
        using platform::Value;
        world.accessibility().addRegion(
            sim::AXRegion{{900, 500, 200, 200}, {Value("AXStaticText"), Value("AXGroup"), Value("AXLink")}, {}});
        world.events().movePointer(anchor);
        program = std::make_unique<Main>(world.platform());
        program->run();
    }
    const ScrollController& engine() { return program->delegate().scrollController(); }
    sim::SimRunLoop& runLoop() { return world.runLoop(); }
    void advanceBy(Micros span) { runLoop().advanceTo(runLoop().now() + span); }
    void click(platform::MouseButton which) {
        world.events().pressButton(which, 0);
        world.events().releaseButton(which, 0);
    }

    sim::World world;
    // Declared after the world: the program has to go first.
    std::unique_ptr<Main> program;
};

std::array<std::size_t, Ledger::kindCount> liveCounts(const Ledger& ledger) {
    std::array<std::size_t, Ledger::kindCount> counts{};
    for (int k = 0; k < Ledger::kindCount; ++k) counts[k] = ledger.live(static_cast<Ledger::Kind>(k));
    return counts;
}

// Four kinds in turn: a drag that ends on the release, a lock ended by Escape,
// a lock ended by a left click, and a link click replaced by a synthetic one.
void gesture(Desktop& desktop, std::size_t i) {
    auto& events = desktop.world.events();
    switch (i % 4) {
        case 0:
            events.pressButton(button::center, 0);
            events.movePointer({anchor.x, anchor.y + 120});
            // One tick sees the pointer out of the dead zone, so the release ends the session.
            desktop.advanceBy(tick);
            events.releaseButton(button::center, 0);
            events.movePointer(anchor);
            break;
        case 1:
            desktop.click(button::center);
            desktop.advanceBy(tick);
            events.pressKey(escapeKey);
            break;
        case 2:
            desktop.click(button::center);
            desktop.advanceBy(tick);
            desktop.click(button::left);
            break;
        case 3:
            events.movePointer(onLink);
            desktop.click(button::center);
            events.movePointer(anchor);
            desktop.advanceBy(tick);
            break;
    }
}

// Whole rounds of the four kinds, so that the counts below come out exact.
// The sanitizers make a gesture about a hundred times dearer, so their builds
// run forty thousand unless told otherwise: still a hundred batches of a
// hundred rounds, enough for a leak of one thing a gesture to show.
std::size_t gestureCount() {
    const char* text = std::getenv("QUILLMERE_GESTURES");
    const long long n = text ? std::atoll(text) : 0;
    if (n <= 0) return sanitized ? 40'000 : 1'000'000;
    return std::max<std::size_t>(static_cast<std::size_t>(n) / 4 * 4, 4);
}

TEST(Counters, MillionGesturesHoldNoMoreThanTheFirstBatch) {
    const std::size_t total = gestureCount();
    const std::size_t batch = std::max<std::size_t>(total / 100 / 4 * 4, 4);
    Desktop desktop;
    const auto& ledger = desktop.world.ledger();
    const std::size_t timersAtStart = desktop.runLoop().validTimers();
    const std::size_t firings = desktop.runLoop().firings();
    const std::size_t requests = desktop.world.accessibility().requests();
    std::array<std::size_t, Ledger::kindCount> afterFirst{};
    std::size_t done = 0;
    for (std::size_t b = 0; done < total; ++b) {
        for (std::size_t i = 0; i < batch && done < total; ++i, ++done) gesture(desktop, done);
        ASSERT_EQ(desktop.engine().state(), ScrollState::idle) << "after gesture " << done;
        // The pass lets the run loop forget the timer of the last session.
        desktop.advanceBy(0);
        if (b == 0) afterFirst = liveCounts(ledger);
        ASSERT_EQ(liveCounts(ledger), afterFirst) << "after gesture " << done << "\n" << ledger.outstanding();
        ASSERT_LE(desktop.runLoop().validTimers(), timersAtStart) << "after gesture " << done;
    }
    // Three of every four gestures run one tick; the watchdog beats on through the whole span.
    const auto span = static_cast<std::size_t>(desktop.runLoop().now());
    EXPECT_EQ(span, total * tick);
    EXPECT_EQ(desktop.runLoop().firings() - firings, total / 4 * 3 + span / (30 * second));
    // Every middle press in the browser asks for the element under the pointer;
    // on the link the walk also reads three roles and two parents. The first
    // asks the browser to build its tree.
    EXPECT_EQ(desktop.world.accessibility().requests() - requests, total / 4 * 9 + 1);
}

}  // namespace
}  // namespace qm::test
