// Long random streams of pointer, button, key, focus, permission, sleep,
// failure and tap events, driven straight into the simulated desktop. After
// every step the program must keep the promises that hold whatever happened
// before: what it may consume, what it may post, what it holds in each state,
// and that nothing reaching it is lost or doubled. The rules themselves are
// the scenario tests' business.
//
// QUILLMERE_SEED replays a stream; QUILLMERE_GESTURE_EVENTS sets its length.

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "exclusions/bundle_id_sets.h"
#include "platform/sim/sim_event.h"
#include "sanitized.h"
#include "scenario_harness.h"
#include "tools/trace.h"

namespace qm::test {
namespace {

namespace et = platform::event_type;
namespace field = platform::event_field;
using platform::EventType;
using platform::Point;
using sim::Micros;

constexpr int64_t kEscape = 53;
constexpr int64_t kMiddle = platform::mouse_button::center;

const std::optional<platform::RunningApplication> kApps[] = {
    platform::RunningApplication{"com.apple.Safari", "Safari", 601},
    platform::RunningApplication{"com.vmware.fusion", "VMware Fusion", 602},
    platform::RunningApplication{"com.apple.TextEdit", "TextEdit", 501},
    platform::RunningApplication{std::nullopt, "Helper", 604}, std::nullopt};

// The program and the promises it keeps, checked as each event is decided
// and after each step.
class Driver : public sim::Observer {
public:
    Driver(bool trusted, int64_t trigger)
        : trigger_(trigger),
          run_(line(0, trusted ? R"("trusted": true)" : R"("trusted": false)") +
               line(0, R"("defaults": {"didShowOnboarding": true, "triggerButton": )" + std::to_string(trigger) + "}") +
               line(0, R"("window": {"id": 1, "pid": 501, "layer": 0, "bounds": [0, 0, 700, 500]})") +
               line(0, R"("window": {"id": 2, "pid": 601, "layer": 0, "bounds": [600, 300, 800, 500]})") +
               line(0, R"("launch": true)") + line(0, R"("answerAlert": "second")")) {
        world().setObserver(this);
    }

    sim::World& world() { return run_.world(); }
    Point anchor() const { return anchor_; }
    Point pointer() const { return pointer_; }
    std::string leftOver() { return run_.leftOver(); }

    // Applies one step (a kind and two numbers, see Generator); answers what went wrong, or nothing.
    std::string step(char kind, int64_t a, int64_t b, Point p) {
        violations_.clear();
        triggerPressed_ = false;
        before_ = run_.engine().state();
        const auto front = world().workspace().frontmostApplication();
        excludedInFront_ = front && front->bundleIdentifier && excluded_.contains(*front->bundleIdentifier);
        auto& events = world().events();
        switch (kind) {
            case 'm': events.movePointer(pointer_ = p); break;
            case 'p':
                ++sent_;
                events.pressButton(a, b);
                break;
            case 'r':
                ++sent_;
                events.releaseButton(a, b);
                break;
            case 'k':
                sent_ += 2;  // down and up
                events.pressKey(a);
                break;
            case 'f': world().workspace().setFrontmost(kApps[a]); break;
            case 'l': world().accessibility().addRegion({{p.x, p.y, 60, 30}, {"AXStaticText", "AXLink"}, {}}); break;
            case 'd': {
                // The notice may make taps anew: the list is not walked while it is told.
                sim::TapState* chosen = nullptr;
                for (const auto& tap : events.taps())
                    if (tools::tapName(*tap) == (a ? "escape" : "mouse")) chosen = tap.get();
                if (chosen) events.disableTap(*chosen, b);
                break;
            }
            case 'o': run_.delegate().toggleEnabled(); break;
            case 't': world().setTrusted(a != 0); break;
            case 'w': world().wake(); break;
            case 'x':
                if (front && front->bundleIdentifier && !excluded_.erase(*front->bundleIdentifier))
                    excluded_.insert(*front->bundleIdentifier);
                run_.delegate().toggleExcludeCurrentApp();
                break;
            case 'e': events.setEventCreationFails(eventsFail_ = a != 0); break;
            case 'a': world().accessibility().setUnresponsive(a != 0); break;
            case 'c': events.setTapCreationFails(a != 0); break;
            default: world().runLoop().advanceTo(world().runLoop().now() + a); break;
        }
        checkHoldings();
        return violations_;
    }

    void tapped(const sim::TapState& tap, const sim::SimEvent& e, bool consumed) override {
        if (!consumed) return;
        ++consumed_;
        const auto type = e.type();
        const int64_t button = e.integerValueField(field::mouseButtonNumber);
        triggerPressed_ = triggerPressed_ || (type == et::otherMouseDown && button == trigger_);
        const bool click = type == et::leftMouseDown || type == et::rightMouseDown;
        if (e.integerValueField(field::sourceUserData) == syntheticEventTag) violations_ += "stamped event consumed; ";
        if (!run_.engine().isEnabled()) violations_ += "switched-off engine consumed an event; ";
        if (click && before_ != ScrollState::locked) violations_ += "a click consumed outside a locked session; ";
        if (type == et::otherMouseDown && before_ != ScrollState::locked &&
            (excludedInFront_ || (e.flags() & platform::eventFlagMaskShift)))
            violations_ += "a press consumed with shift or an excluded application; ";
        if (tools::tapName(tap) != "escape" && !click && button != trigger_ &&
            (button != kMiddle || before_ != ScrollState::locked))
            violations_ += "a button other than the trigger consumed, but to end a lock; ";
        if (tools::tapName(tap) == "escape" &&
            (type != et::keyDown || e.integerValueField(field::keyboardKeycode) != kEscape ||
             before_ != ScrollState::locked))
            violations_ += "a key other than Escape, or outside a locked session, consumed; ";
    }
    void postedToHID(const sim::SimEvent& e) override {
        if (e.type() == et::scrollWheel) return scrolled();
        ++sent_;
        // The program posts nothing but the click that stands in for a press on a link.
        if ((e.type() != et::otherMouseDown && e.type() != et::otherMouseUp) ||
            e.integerValueField(field::sourceUserData) != syntheticEventTag ||
            e.integerValueField(field::mouseButtonNumber) != kMiddle)
            violations_ += "posted something other than a stamped middle click; ";
    }
    void postedToPid(const sim::SimEvent&, int32_t) override { scrolled(); }
    // Scrolls reach a window when there is one under the pointer, and are not counted.
    void delivered(const sim::SimEvent& e, std::optional<int32_t>) override {
        delivered_ += e.type() != et::scrollWheel;
    }

private:
    void scrolled() {
        if (before_ != ScrollState::pressed && before_ != ScrollState::locked)
            violations_ += "scrolled without a session; ";
    }

    // What the program holds must match its state: a marker at the anchor and
    // a timer for a session, an Escape tap for a locked one, and nothing of
    // what it let go of, not even hidden or switched off.
    void checkHoldings() {
        auto& engine = run_.engine();
        const ScrollState state = engine.state();
        const bool session = state == ScrollState::pressed || state == ScrollState::locked;
        // A session starts, or starts over at a press whose release was lost, where the pointer is.
        if (session && (triggerPressed_ || (before_ != ScrollState::pressed && before_ != ScrollState::locked)))
            anchor_ = sampled();
        std::set<std::string> taps;
        for (const auto& tap : world().events().taps())
            if (!taps.emplace(tools::tapName(*tap)).second) violations_ += "two taps of a kind; ";
        if (taps.contains("escape") && state != ScrollState::locked) violations_ += "an Escape tap outside a lock; ";
        if (!engine.isEnabled() && state != ScrollState::idle) violations_ += "a session while switched off; ";
        std::vector<const sim::SimWindow*> markers;
        for (const auto* w : world().windows().visibleWindows())
            if (!w->host()) markers.push_back(w);
        const platform::Rect frame{anchor_.x - 20, 900 - anchor_.y - 20, 40, 40};
        if (markers.size() != std::size_t(session) || (session && markers[0]->frame() != frame))
            violations_ += "a marker that is not the session's; ";
        if (sent_ != delivered_ + consumed_) violations_ += "an event lost or doubled; ";
        if (world().tapsDestroyedInOwnCallback() != 0) violations_ += "a tap destroyed inside its own callback; ";
        using L = sim::Ledger;
        const auto& ledger = world().ledger();
        const std::size_t timers = world().runLoop().validTimers();
        // The tap for clicks of a locked session is the mouse tap's own.
        const std::size_t owned = taps.size() - taps.count("clicks");
        // The watchdog, the poll, the look at the trust shortly after a change, and a session's stepping.
        if (timers > 3u + session || ledger.live(L::timer) != timers || ledger.live(L::window) != markers.size() ||
            ledger.live(L::tap) != owned || ledger.live(L::runLoopSource) != owned || ledger.live(L::event) != 0 ||
            ledger.live(L::axElement) != 0)
            violations_ += "live resources:\n" + ledger.outstanding();
    }
    // Where the program reads the pointer: the origin when no event can be made.
    Point sampled() const { return eventsFail_ ? Point{} : pointer_; }

    int64_t trigger_;
    ScenarioRun run_;
    std::set<std::string> excluded_{"com.vmware.fusion"};
    std::string violations_;
    ScrollState before_ = ScrollState::idle;
    bool excludedInFront_ = false, eventsFail_ = false, triggerPressed_ = false;
    Point anchor_{}, pointer_{};
    std::size_t sent_ = 0, delivered_ = 0, consumed_ = 0;
};

// The steps: (m)ove, (p)ress and (r)elease a button with flags, (k)ey, (f)rontmost
// application, (l)ink region, (d)isable a tap with or without a notice,
// (o)n/off from the menu, (t)rust, (w)ake, e(x)clude the application in
// front, failures of (e)vents, (a)ccessibility and (c)reating taps, and waits.
class Generator {
public:
    Generator(uint64_t seed, int64_t trigger) : rng_(seed), trigger_(trigger) {}

    struct Step {
        char kind;
        int64_t a = 0, b = 0;
        Point p{};
    };

    Step next(Point anchor, Point pointer) {
        const int r = below(1000);
        // Around the edge of the dead zone, and some well past it.
        const double edges[] = {0, 9, 10, 10.5, 11, 40, 300};
        const auto offset = [&] { return (below(2) ? 1 : -1) * edges[below(7)]; };
        if (r < 80) return {'m', 0, 0, {anchor.x + offset(), anchor.y + offset()}};
        if (r < 200) return {'m', 0, 0, {pointer.x + below(31) - 15.0, pointer.y + below(31) - 15.0}};
        if (r < 270) return {'m', 0, 0, {below(1500) - 30.0, below(960) - 30.0}};
        if (r < 590) return {r < 440 ? 'p' : 'r', button(), below(5) ? 0 : int64_t{platform::eventFlagMaskShift}};
        if (r < 640) return {'k', below(10) < 6 ? kEscape : 36};
        if (r < 675) return {'f', below(5)};
        if (r < 685) return {'l', 0, 0, {double(below(1400)), double(below(880))}};
        if (r < 715)
            return {'d', below(2),
                    std::vector<int64_t>{0, et::tapDisabledByTimeout, et::tapDisabledByUserInput}[below(3)]};
        if (r < 730) return {'o'};
        if (r < 745) return {'t', below(10) < 8};
        // Failures come and mostly go again soon.
        if (r < 751) return {"eac"[below(3)], below(6) == 0};
        if (r < 755) return {'w'};
        if (r < 760) return {'x'};
        const int64_t d = below(100);
        return {'.', d < 15   ? 0
                     : d < 70 ? 1 + below(60'000)
                     : d < 98 ? 60'000 + below(2'940'000)
                              : 30'000'000 + below(5'000'000)};
    }

private:
    int64_t below(int64_t n) { return std::uniform_int_distribution<int64_t>(0, n - 1)(rng_); }
    int64_t button() {
        const int64_t r = below(20);
        return r < 7 ? trigger_ : r < 11 ? kMiddle : r < 14 ? 0 : r < 16 ? 1 : 3 + below(3);
    }

    std::mt19937_64 rng_;
    int64_t trigger_;
};

uint64_t envNumber(const char* name, uint64_t fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::strtoull(value, nullptr, 0) : fallback;
}

// With a side button as the trigger, it takes the middle button's place, and
// the middle button only ends locked sessions.
class RandomStream : public testing::TestWithParam<bool> {};

TEST_P(RandomStream, KeepsTheProgramsPromises) {
    const bool sideTrigger = GetParam();
    const uint64_t seed = envNumber("QUILLMERE_SEED", sideTrigger ? 20240612 : 20240611);
    const uint64_t length = envNumber("QUILLMERE_GESTURE_EVENTS", sanitized ? 20'000 : 100'000);
    const int64_t trigger = sideTrigger ? 3 + static_cast<int64_t>(seed % 2) : kMiddle;
    Generator generator(seed, trigger);
    Driver driver(seed % 4 != 0, trigger);
    const std::string origin = "QUILLMERE_SEED=" + std::to_string(seed) + ", trigger " + std::to_string(trigger);
    std::deque<std::string> recent;
    for (uint64_t n = 0; n < length; ++n) {
        const auto s = generator.next(driver.anchor(), driver.pointer());
        recent.push_back(std::string(1, s.kind) + " " + std::to_string(s.a) + " " + std::to_string(s.b) + " (" +
                         std::to_string(s.p.x) + ", " + std::to_string(s.p.y) + ")");
        if (recent.size() > 16) recent.pop_front();
        if (const std::string fault = driver.step(s.kind, s.a, s.b, s.p); !fault.empty()) {
            std::string trail;
            for (const auto& r : recent) trail += "\n  " + r;
            FAIL() << origin << ", step " << n << ": " << fault << "\nlast steps:" << trail;
        }
    }
    EXPECT_EQ(driver.leftOver(), "") << origin;
}

INSTANTIATE_TEST_SUITE_P(GestureStreams, RandomStream, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "SideButtonTrigger" : "MiddleButtonTrigger"; });

}  // namespace
}  // namespace qm::test
