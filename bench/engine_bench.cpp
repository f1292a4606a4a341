#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>

#include "app/main_sequence.h"
#include "engine/scroll_controller.h"
#include "exclusions/exclusion_manager.h"
#include "platform/cairo/pango_text.h"
#include "platform/cairo/view_painter.h"
#include "platform/sim/world.h"
#include "platform/value.h"
#include "settings/settings_view.h"

namespace {

namespace et = qm::platform::event_type;
namespace field = qm::platform::event_field;
using qm::platform::Point;

constexpr Point anchor{400, 300};
constexpr int64_t tickMicros = 20000;

// An editor frontmost with a window under the pointer and the program running,
// as on a real launch; no observer, so nothing is traced.
struct Desktop {
    Desktop() {
        world.setTrusted(true);
        world.workspace().setFrontmost(qm::platform::RunningApplication{"com.apple.TextEdit", "TextEdit", 501});
        world.windows().putWindow(1, 501, 0, {0, 0, 1440, 900});
        world.events().movePointer(anchor);
        world.defaults().put("didShowOnboarding", true);
        program = std::make_unique<qm::Main>(world.platform());
        program->run();
        if (!controller().isEnabled()) throw std::runtime_error("the mouse tap could not be installed");
        // The Escape tap comes and goes with locked sessions; the mouse tap is the one that never sees keys.
        for (const auto& tap : world.events().taps())
            if (!(tap->mask & qm::platform::eventMaskBit(et::keyDown))) mouseTap = tap;
        if (!mouseTap) throw std::runtime_error("no mouse tap");
    }

    const qm::ScrollController& controller() { return program->delegate().scrollController(); }

    qm::platform::Event* deliver(qm::sim::SimEvent& event, qm::platform::EventType type) {
        return mouseTap->callback(type, &event, mouseTap->userInfo);
    }

    // The world does not lend out its ledger, and the events built here are
    // not the simulation's to account for.
    qm::sim::Ledger ledger;
    qm::sim::World world;
    // Declared after the world: the program has to go first.
    std::unique_ptr<qm::Main> program;
    std::shared_ptr<qm::sim::TapState> mouseTap;
};

qm::sim::SimEvent middleEvent(qm::sim::Ledger& ledger, qm::platform::EventType type) {
    qm::sim::SimEvent event(ledger, type, anchor);
    event.setIntegerValueField(field::mouseButtonNumber, qm::platform::mouse_button::center);
    return event;
}

// The price every ordinary click pays while the engine is on: a left press
// through the mouse tap with no session running.
void BM_PassedLeftPress(benchmark::State& state) {
    Desktop desktop;
    qm::sim::SimEvent press(desktop.ledger, et::leftMouseDown, anchor);
    press.setIntegerValueField(field::mouseButtonNumber, qm::platform::mouse_button::left);
    for (auto _ : state) {
        qm::platform::Event* result = desktop.deliver(press, et::leftMouseDown);
        if (result != &press) state.SkipWithError("the left press was not passed");
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_PassedLeftPress);

// The floor under BM_PassedLeftPress: the same left press through the same
// delivery to a tap whose callback hands it straight back.
qm::platform::Event* passEverything(qm::platform::EventType, qm::platform::Event* event, void*) {
    return event;
}

void BM_EmptyTapCallback(benchmark::State& state) {
    Desktop desktop;
    auto tap =
        desktop.world.events().tapCreate(qm::platform::TapLocation::session, qm::platform::TapPlacement::headInsert,
                                         qm::platform::TapOptions::defaultFilter,
                                         qm::platform::eventMaskBit(et::leftMouseDown), &passEverything, nullptr);
    std::shared_ptr<qm::sim::TapState> empty;
    for (const auto& candidate : desktop.world.events().taps())
        if (candidate->callback == &passEverything) empty = candidate;
    if (!empty) {
        state.SkipWithError("the empty tap could not be installed");
        return;
    }
    qm::sim::SimEvent press(desktop.ledger, et::leftMouseDown, anchor);
    press.setIntegerValueField(field::mouseButtonNumber, qm::platform::mouse_button::left);
    for (auto _ : state) {
        qm::platform::Event* result = empty->callback(et::leftMouseDown, &press, empty->userInfo);
        if (result != &press) state.SkipWithError("the left press was not passed");
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_EmptyTapCallback);

// One iteration is a whole session from idle and back: the middle press that
// starts it (frontmost lookup, exclusion check, pointer read, marker window,
// window-list walk, stepping timer) plus a tap-disabled notice that ends it,
// the cheapest way back to idle without a pause in timing. Every 1024
// iterations the run loop is given a pass, because the simulated one only
// forgets invalidated timers then; that pass is timed, amortised over them.
void BM_MiddlePressStartsSession(benchmark::State& state) {
    Desktop desktop;
    auto press = middleEvent(desktop.ledger, et::otherMouseDown);
    qm::sim::SimEvent notice(desktop.ledger, et::tapDisabledByTimeout, anchor);
    const auto& controller = desktop.controller();
    auto& runLoop = desktop.world.runLoop();
    int64_t sessions = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(desktop.deliver(press, et::otherMouseDown));
        if (controller.state() != qm::ScrollState::pressed) state.SkipWithError("no session started");
        desktop.deliver(notice, et::tapDisabledByTimeout);
        if (++sessions % 1024 == 0) runLoop.advanceTo(runLoop.now());
    }
    if (controller.state() != qm::ScrollState::idle) state.SkipWithError("the last session did not end");
}
BENCHMARK(BM_MiddlePressStartsSession);

// A middle click at the anchor locks a session; the pointer then rests 120
// points below it. False when the session did not lock.
bool lockSessionBelowAnchor(Desktop& desktop) {
    auto press = middleEvent(desktop.ledger, et::otherMouseDown);
    auto release = middleEvent(desktop.ledger, et::otherMouseUp);
    desktop.deliver(press, et::otherMouseDown);
    desktop.deliver(release, et::otherMouseUp);
    desktop.world.events().movePointer({anchor.x, anchor.y + 120});
    return desktop.controller().state() == qm::ScrollState::locked;
}

// Runs the session's steps, each reached by advance(), past the first ones
// whose velocity is still rising, then times them: every timed step must
// fire and post.
template <class Advance>
void timeSteps(benchmark::State& state, Desktop& desktop, Advance advance) {
    auto& runLoop = desktop.world.runLoop();
    for (int i = 0; i < 50; ++i) advance();
    const auto& ledger = desktop.world.ledger();
    const std::size_t firingsBefore = runLoop.firings();
    const std::size_t eventsBefore = ledger.createdCount(qm::sim::Ledger::event);
    for (auto _ : state) advance();
    const auto steps = static_cast<std::size_t>(state.iterations());
    if (runLoop.firings() < firingsBefore + steps) state.SkipWithError("a step did not fire");
    // A posting step makes three events: the pointer read, the wheel event and its posted copy.
    if (ledger.createdCount(qm::sim::Ledger::event) < eventsBefore + 3 * steps)
        state.SkipWithError("a step posted nothing");
    if (desktop.controller().state() != qm::ScrollState::locked) state.SkipWithError("the session ended");
}

// One stepping tick of a locked session with the pointer 120 points below the
// anchor: the virtual clock moves on by one interval, the simulated run loop
// finds and fires the timer, and the step reads the pointer, builds one wheel
// event and posts it, which includes the simulated posting (the copy, the tap
// pass and the delivery to the window under the pointer). The watchdog's own
// firing every 1500 ticks is part of the run.
void BM_SteppingTick(benchmark::State& state) {
    Desktop desktop;
    if (!lockSessionBelowAnchor(desktop)) return state.SkipWithError("the session did not lock");
    auto& runLoop = desktop.world.runLoop();
    timeSteps(state, desktop, [&runLoop] { runLoop.advanceTo(runLoop.now() + tickMicros); });
}
BENCHMARK(BM_SteppingTick);

// The floor under BM_SteppingTick: one pixel scroll event made and posted
// through the same simulated event stream (the copy, the pass by the taps and
// the delivery), with no clock, timer or stepping around it.
void BM_BareScrollPost(benchmark::State& state) {
    Desktop desktop;
    auto& events = desktop.world.events();
    const auto source = events.createSource(qm::platform::EventSourceState::hidSystem);
    for (auto _ : state) {
        auto event = events.createScrollWheelEvent2(source.get(), qm::platform::ScrollUnit::pixel, 2, -19, 0, 0);
        events.post(qm::platform::TapLocation::hid, *event);
    }
    // A post makes two events: the one built here and the stream's copy.
    if (desktop.world.ledger().createdCount(qm::sim::Ledger::event) < 2 * static_cast<std::size_t>(state.iterations()))
        state.SkipWithError("an event was not posted");
}
BENCHMARK(BM_BareScrollPost);
// The same session with smooth scrolling on, one display frame per
// iteration at the rate given: the clock moves on to the next frame, the
// simulated link fires and schedules the one after, and the step, with the
// frame's own share of smoothing, posts one wheel event. Beside
// BM_SteppingTick it shows what following the display costs per step.
void BM_SmoothFrame(benchmark::State& state) {
    Desktop desktop;
    desktop.world.defaults().put("smoothScrolling", true);
    auto& links = desktop.world.displayLinks();
    links.setRefreshRate({static_cast<double>(state.range(0)), 0, 0});
    if (!lockSessionBelowAnchor(desktop)) return state.SkipWithError("the session did not lock");
    if (desktop.world.ledger().live(qm::sim::Ledger::displayLink) != 1)
        return state.SkipWithError("the session does not follow the display");
    auto& runLoop = desktop.world.runLoop();
    timeSteps(state, desktop, [&runLoop, &links] { runLoop.advanceTo(links.nextFrame(runLoop.now())); });
}
BENCHMARK(BM_SmoothFrame)->Arg(60)->Arg(144);

// A middle press on a link in a browser: the frontmost lookup, the exclusion
// check, the accessibility walk from the hit element up three levels to the
// link, and the synthetic click posted in its place (both events built, copied
// and passed back through the mouse tap, which lets them go by their tag, and
// delivered). The real release that follows is swallowed through the callback
// too, which brings the engine back to idle, so every iteration pays for the
// whole exchange.
void BM_MiddlePressOnLink(benchmark::State& state) {
    Desktop desktop;
    desktop.world.workspace().setFrontmost(qm::platform::RunningApplication{"com.apple.Safari", "Safari", 502});
    desktop.world.windows().putWindow(2, 502, 0, {0, 0, 1440, 900});
    using qm::platform::Value;
    desktop.world.accessibility().addRegion(
        qm::sim::AXRegion{{300, 200, 200, 200}, {Value("AXStaticText"), Value("AXGroup"), Value("AXLink")}, {}});
    auto press = middleEvent(desktop.ledger, et::otherMouseDown);
    auto release = middleEvent(desktop.ledger, et::otherMouseUp);
    const auto& controller = desktop.controller();
    for (auto _ : state) {
        if (desktop.deliver(press, et::otherMouseDown) != nullptr) state.SkipWithError("the press was not consumed");
        if (controller.state() != qm::ScrollState::swallowUp) state.SkipWithError("no link was found");
        if (desktop.deliver(release, et::otherMouseUp) != nullptr) state.SkipWithError("the release was let through");
    }
    if (controller.state() != qm::ScrollState::idle) state.SkipWithError("the last release did not end the exchange");
}
BENCHMARK(BM_MiddlePressOnLink);

// Removing one entry of an exclusion list of many in the settings window, as
// the Linux desktop does it: the list written, the page evaluated, laid out
// and painted. The main loop runs nothing else meanwhile, a press included.
void BM_SettingsListRemove(benchmark::State& state) {
    qm::sim::World world;
    qm::platform::Value::Array ids;
    for (int i = 0; i < state.range(0); ++i) ids.push_back(qm::platform::Value("App" + std::to_string(100000 + i)));
    world.defaults().put("excludedBundleIDs", qm::platform::Value(ids));
    qm::ExclusionManager exclusions(world.defaults(), world.platform().appIdentifiers);
    qm::platform::views::ViewHost host(std::make_unique<qm::SettingsView>(world.platform(), exclusions));
    const qm::cairo::PangoTextMeasure measure;
    const qm::cairo::Size page{qm::SettingsView::pageWidth, qm::SettingsView::pageHeight};
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 480, 560);
    cairo_t* cr = cairo_create(surface);
    qm::cairo::paintPage(cr, qm::cairo::Layout(measure).place(host.tree(), page));
    int next = 0;
    for (auto _ : state) {
        if (!host.press("remove:App" + std::to_string(100000 + next++))) state.SkipWithError("no such row");
        qm::cairo::paintPage(cr, qm::cairo::Layout(measure).place(host.tree(), page));
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}
BENCHMARK(BM_SettingsListRemove)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(50);

}  // namespace
