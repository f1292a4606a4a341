// Long random streams of pointer, button, key, focus, permission, sleep and
// tap events, driven straight into the simulated desktop. After every step the
// program is compared with a small model of the scroll engine written from
// its rules alone, and the resources it holds are checked against its state.
//
// QUILLMERE_SEED replays a stream; QUILLMERE_GESTURE_EVENTS sets its length.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <functional>
#include <limits>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "exclusions/bundle_id_sets.h"
#include "platform/sim/sim_event.h"
#include "scenario_harness.h"
#include "tools/trace.h"

namespace qm::test {
namespace {

namespace et = platform::event_type;
namespace field = platform::event_field;
using platform::EventType;
using platform::Point;
using sim::Micros;

// The simulated desktop names applications by bundle identifier.
constexpr auto bundleIDs = platform::AppIdentifierKind::bundleIdentifier;

constexpr Micros kTick = 20'000, kWatchdog = 30'000'000, kPoll = 1'000'000, kTrustRecheck = 500'000;
constexpr int64_t kEscape = 53;
constexpr uint32_t kMiddle = platform::mouse_button::center;

std::optional<platform::RunningApplication> app(int64_t n) {
    using A = platform::RunningApplication;
    switch (n) {
        case 0: return A{"com.apple.Safari", "Safari", 601};
        case 1: return A{"com.vmware.fusion", "VMware Fusion", 602};
        case 2: return A{"com.apple.TextEdit", "TextEdit", 501};
        case 3: return A{"com.apple.Notes", "Notes", 603};
        case 4: return A{std::nullopt, "Helper", 604};
        default: return std::nullopt;
    }
}

enum class Kind { move, press, release, key, front, region, disable, power, trust, wait, post, exclude, fail, wake };
const char* const kKindNames[] = {"move",  "press", "release", "key",  "front",   "region", "disable",
                                  "power", "trust", "wait",    "post", "exclude", "fail",   "wake"};

// One step of a stream. a: button, key, app, tap (1 = Escape), power (0
// toggle, 1 off, 2 on, 3 start), trust, event type, microseconds or what fails
// (0 events, 1 accessibility, 2 taps); b: flags, tap-disabled notice, source
// user data or on/off.
struct Action {
    Kind kind;
    int64_t a = 0, b = 0;
    Point p{};
    platform::Rect rect{};
    std::vector<platform::Value> roles{};
};

std::string describe(const Action& s) {
    std::ostringstream o;
    o << kKindNames[static_cast<int>(s.kind)] << " a=" << s.a << " b=" << s.b;
    if (s.kind == Kind::move) o << " to (" << s.p.x << ", " << s.p.y << ")";
    if (s.kind == Kind::region)
        o << " [" << s.rect.x << ", " << s.rect.y << ", " << s.rect.width << ", " << s.rect.height << "], "
          << s.roles.size() << " roles";
    return o.str();
}

// What the engine should be, from its rules. Where a rule leaves the stepping
// timer or the marker behind in a state that has neither, the model ends them:
// idle and swallowUp hold no session resources.
struct Model {
    int64_t trigger = kMiddle;
    ScrollState state = ScrollState::idle;
    bool enabled = false, tap = false, tapOn = false, esc = false, escOn = false;
    // The second tap a locked session adds for left and right presses.
    bool clicks = false, clicksOn = false;
    bool session = false, moved = false, polling = false, trusted = false;
    // Whether the poll switches the engine on once trusted: after a
    // withdrawal, only if the engine was on when the permission went.
    bool restoreOnTrust = true;
    Micros pollStart = 0;
    std::optional<Micros> recheckAt;
    bool eventsFail = false, axFails = false, tapsFail = false;
    Micros sessionStart = 0;
    Point anchor{}, pointer{};
    std::optional<Micros> watchdogStart;
    std::optional<platform::RunningApplication> frontmost;
    std::set<std::string> userExcluded;
    std::vector<std::pair<platform::Rect, bool>> regions;  // bounds, link within reach

    std::optional<std::string> bundle() const { return frontmost ? frontmost->bundleIdentifier : std::nullopt; }
    bool excluded() const {
        const auto id = bundle();
        return id && (kDefaultExcludedBundleIDs(bundleIDs).contains(*id) || userExcluded.contains(*id));
    }
    // Where the program reads the pointer: the origin when no event can be made.
    Point sampled() const { return eventsFail ? Point{} : pointer; }
    bool linkUnderPointer() const {
        const auto id = bundle();
        if (trigger != kMiddle || !trusted || axFails || !id || !kWebAppBundleIDs(bundleIDs).contains(*id))
            return false;
        for (auto it = regions.rbegin(); it != regions.rend(); ++it)
            if (platform::rectContainsPoint(it->first, sampled())) return it->second;
        return false;
    }
    void exit() {
        session = esc = escOn = clicks = clicksOn = false;
        state = ScrollState::idle;
    }
    void startWatchdog(Micros t) {
        if (!watchdogStart) watchdogStart = t;
    }
    bool start(Micros t) {
        if (!tap && (!trusted || tapsFail)) return false;
        tap = tapOn = enabled = true;
        startWatchdog(t);
        return true;
    }
    void setEnabled(bool on, Micros t) {
        if (!tap) return;
        enabled = tapOn = on;
        if (on) return startWatchdog(t);
        exit();
        watchdogStart.reset();
    }
    void pollTick(Micros t) {
        if (!trusted) return;
        polling = restoreOnTrust && !start(t);
    }
    // The taps died with the permission: the program lets them go and polls.
    void withdraw(Micros t) {
        restoreOnTrust = enabled;
        exit();
        tap = tapOn = enabled = false;
        watchdogStart.reset();
        polling = true, pollStart = t;
    }
    void trustChanged(bool now, Micros t) {
        trusted = now;
        if (!now) tapOn = escOn = clicksOn = false;
        if (tap && !now) withdraw(t);
        // Looked at once more shortly after, while there is something to lose.
        if (tap) recheckAt = t + kTrustRecheck;
    }
    // Every tap is off after sleep; the program ends any session and switches
    // the mouse tap back on if the engine is on.
    void wake() {
        escOn = false;
        if (state != ScrollState::idle) exit();
        tapOn = tap && enabled;
    }
    bool recheckPending(Micros now) const { return recheckAt && now < *recheckAt; }
    void watchdogTick() {
        if (!enabled || !tap) return;
        const bool found = !tapOn || (esc && !escOn) || (clicks && !clicksOn);
        tapOn = true;
        escOn = esc;
        clicksOn = clicks;
        if (found && state != ScrollState::idle) exit();
    }
    // The mouse tap's verdict on an event it sees: true to consume. Sets
    // `link` when a synthetic click goes out in place of the press.
    bool decide(EventType type, int64_t button, uint64_t flags, int64_t userData, Micros now, bool& link) {
        if (!enabled || userData == syntheticEventTag) return false;
        if (type == et::leftMouseDown || type == et::rightMouseDown) {
            if (state != ScrollState::locked) return false;
            exit();
            return true;
        }
        if (button != trigger) {
            // Another trigger leaves the middle button alone, but for ending a locked session.
            if (type != et::otherMouseDown || button != kMiddle || state != ScrollState::locked) return false;
            exit();
            return true;
        }
        if (type == et::otherMouseUp) {
            if (state == ScrollState::pressed && moved) {
                exit();
            } else if (state == ScrollState::pressed) {
                state = ScrollState::locked;
                // Both taps a locked session adds need the permission.
                esc = escOn = clicks = clicksOn = trusted && !tapsFail;
            } else if (state == ScrollState::swallowUp) {
                state = ScrollState::idle;
            } else {
                return false;
            }
            return true;
        }
        if (state == ScrollState::locked) {
            exit();
            return true;
        }
        if (excluded() || (flags & platform::eventFlagMaskShift)) return false;
        if ((link = linkUnderPointer())) {
            session = false;
            state = ScrollState::swallowUp;
            return true;
        }
        state = ScrollState::pressed;
        session = true, moved = false, sessionStart = now, anchor = sampled();
        return true;
    }
};

struct Tapped {
    std::string_view tap;
    EventType type;
    bool consumed;
    bool operator==(const Tapped&) const = default;
};

std::string text(const std::vector<Tapped>& v) {
    std::ostringstream o;
    for (const auto& t : v) o << " " << t.tap << ":" << t.type << (t.consumed ? "/consume" : "/pass");
    return o.str();
}

// Runs the program and its model side by side, one action at a time.
class Driver : public sim::Observer {
public:
    explicit Driver(bool trusted, int64_t trigger = kMiddle)
        : run_(line(0, trusted ? R"("trusted": true)" : R"("trusted": false)") +
               line(0, R"("defaults": {"didShowOnboarding": true)" +
                           (trigger == kMiddle ? "" : ", \"triggerButton\": " + std::to_string(trigger)) + "}") +
               line(0, R"("window": {"id": 1, "pid": 501, "layer": 0, "bounds": [0, 0, 700, 500]})") +
               line(0, R"("window": {"id": 2, "pid": 601, "layer": 0, "bounds": [600, 300, 800, 500]})") +
               line(0, R"("window": {"id": 3, "pid": 603, "layer": 0, "bounds": [200, 600, 400, 250]})") +
               line(0, R"("launch": true)") + line(0, R"("answerAlert": "second")")) {
        m_.trusted = trusted;
        m_.trigger = trigger;
        m_.polling = !trusted;
        if (trusted) m_.start(0);
        m_.frontmost = world().workspace().frontmostApplication();
        world().setObserver(this);
        run_.engine().setObserver(nullptr);
    }

    sim::World& world() { return run_.world(); }
    const Model& model() const { return m_; }
    std::string leftOver() { return run_.leftOver(); }

    // Applies one action; returns what went wrong, or nothing.
    std::string step(const Action& s) {
        tapped_.clear(), expected_.clear(), violations_.clear();
        delivered_ = expectDelivered_ = posted_ = expectPosted_ = scrolls_ = 0;
        preState_ = m_.state, preExcluded_ = m_.excluded(), preSession_ = m_.session;
        auto& events = world().events();
        const Micros now = world().runLoop().now();
        switch (s.kind) {
            case Kind::move: events.movePointer(m_.pointer = s.p); break;
            case Kind::press:
            case Kind::release: {
                const EventType type = s.a == 0   ? (s.kind == Kind::press ? et::leftMouseDown : et::leftMouseUp)
                                       : s.a == 1 ? (s.kind == Kind::press ? et::rightMouseDown : et::rightMouseUp)
                                                  : (s.kind == Kind::press ? et::otherMouseDown : et::otherMouseUp);
                expectMouse(type, s.a, s.b, 0, now);
                if (s.kind == Kind::press)
                    events.pressButton(s.a, s.b);
                else
                    events.releaseButton(s.a, s.b);
                break;
            }
            case Kind::post: {
                const auto type = static_cast<EventType>(s.a);
                const uint32_t button = type == et::leftMouseDown ? 0 : type == et::rightMouseDown ? 1 : kMiddle;
                auto event = events.createMouseEvent(nullptr, type, m_.pointer, button);
                if (!event) break;
                event->setIntegerValueField(field::sourceUserData, s.b);
                expectMouse(type, button, 0, s.b, now);
                ownPost_ = true;
                events.post(platform::TapLocation::hid, *event);
                break;
            }
            case Kind::key:
                if (m_.esc && m_.escOn) {
                    const bool consume = m_.state == ScrollState::locked && s.a == kEscape;
                    if (consume) m_.exit();
                    expected_.push_back({"escape", et::keyDown, consume});
                    expectDelivered_ -= consume;
                }
                expectDelivered_ += 2;
                events.pressKey(s.a);
                break;
            case Kind::front: world().workspace().setFrontmost(m_.frontmost = app(s.a)); break;
            case Kind::region:
                m_.regions.push_back({s.rect, false});
                for (std::size_t i = 0; i < s.roles.size() && i < 12; ++i)
                    m_.regions.back().second |= s.roles[i] == platform::Value("AXLink");
                world().accessibility().addRegion({s.rect, s.roles, {}});
                break;
            case Kind::disable: disableTap(s.a == 1, static_cast<EventType>(s.b)); break;
            case Kind::power:
                if (s.a == 3) {
                    if (m_.start(now) != run_.engine().start()) return "start() answered otherwise than its rules say";
                } else if (s.a == 0) {
                    if (m_.enabled)
                        m_.setEnabled(false, now);
                    else if (m_.trusted && m_.start(now))
                        m_.polling = false;  // switched on by hand, the poll has nothing left to do
                    run_.delegate().toggleEnabled();
                } else {
                    m_.setEnabled(s.a == 2, now);
                    run_.engine().setEnabled(s.a == 2);
                }
                break;
            case Kind::fail:
                if (s.a == 0) events.setEventCreationFails(m_.eventsFail = s.b != 0);
                if (s.a == 1) world().accessibility().setUnresponsive(m_.axFails = s.b != 0);
                if (s.a == 2) events.setTapCreationFails(m_.tapsFail = s.b != 0);
                break;
            case Kind::trust:
                if ((s.a != 0) != m_.trusted) m_.trustChanged(s.a != 0, now);
                world().setTrusted(s.a != 0);
                break;
            case Kind::wake:
                m_.wake();
                world().wake();
                break;
            case Kind::wait: advance(now + s.a); break;
            case Kind::exclude:
                if (const auto id = m_.bundle(); id && !kDefaultExcludedBundleIDs(bundleIDs).contains(*id))
                    if (!m_.userExcluded.erase(*id)) m_.userExcluded.insert(*id);
                run_.delegate().toggleExcludeCurrentApp();
                break;
        }
        return check(s.kind == Kind::wait);
    }

    void tapped(const sim::TapState& tap, const sim::SimEvent& e, bool consumed) override {
        const bool key = tools::tapName(tap) == "escape";
        tapped_.push_back({tools::tapName(tap), e.type(), consumed});
        if (!consumed) return;
        const auto type = e.type();
        if (e.integerValueField(field::sourceUserData) == syntheticEventTag) violations_ += "stamped event consumed; ";
        if (!run_.engine().isEnabled()) violations_ += "switched-off engine consumed an event; ";
        if ((type == et::leftMouseDown || type == et::rightMouseDown) && preState_ != ScrollState::locked)
            violations_ += "left or right press consumed outside a locked session; ";
        const int64_t button = e.integerValueField(field::mouseButtonNumber);
        if (type == et::otherMouseDown && (button == kMiddle || button == m_.trigger) && preExcluded_ &&
            preState_ != ScrollState::locked)
            violations_ += "middle or trigger press consumed with an excluded application frontmost; ";
        if (!key && type != et::leftMouseDown && type != et::rightMouseDown && button != kMiddle &&
            button != m_.trigger)
            violations_ += "a button other than the middle one or the trigger consumed; ";
        if (key && (type != et::keyDown || e.integerValueField(field::keyboardKeycode) != kEscape))
            violations_ += "a key other than Escape consumed; ";
    }
    void postedToHID(const sim::SimEvent& e) override {
        if (e.type() == et::scrollWheel) return void(++scrolls_);
        if (std::exchange(ownPost_, false)) return;
        // The program posts nothing but the click that stands in for a press on a link.
        const EventType want = posted_++ % 2 ? et::otherMouseUp : et::otherMouseDown;
        if (e.type() != want || e.integerValueField(field::sourceUserData) != syntheticEventTag ||
            e.integerValueField(field::mouseButtonNumber) != kMiddle || e.location().x != m_.sampled().x ||
            e.location().y != m_.sampled().y)
            violations_ += "posted something other than a stamped middle click at the pointer; ";
    }
    void postedToPid(const sim::SimEvent&, int32_t) override { ++scrolls_; }
    void delivered(const sim::SimEvent&, std::optional<int32_t>) override { ++delivered_; }

private:
    void expectMouse(EventType type, int64_t button, uint64_t flags, int64_t userData, Micros now) {
        const bool click = type == et::leftMouseDown || type == et::rightMouseDown;
        const bool seen = click ? m_.clicks && m_.clicksOn
                                : m_.tap && m_.tapOn && (type == et::otherMouseDown || type == et::otherMouseUp);
        bool link = false;
        const bool consume = seen && m_.decide(type, button, flags, userData, now, link);
        if (seen) expected_.push_back({click ? "clicks" : "mouse", type, consume});
        expectDelivered_ += !consume;
        if (!link || m_.eventsFail) return;
        // The click that replaces the press comes back through the tap, stamped.
        expected_.push_back({"mouse", et::otherMouseDown, false});
        expected_.push_back({"mouse", et::otherMouseUp, false});
        expectDelivered_ += 2;
        expectPosted_ += 2;
    }

    void disableTap(bool escape, EventType notice) {
        for (const auto& tap : world().events().taps()) {
            if (tools::tapName(*tap) != (escape ? "escape" : "mouse")) continue;
            (escape ? m_.escOn : m_.tapOn) = false;
            if (notice != 0) {
                expected_.push_back({tools::tapName(*tap), notice, false});
                if (!escape && m_.enabled) m_.tapOn = true;
                if (escape && m_.enabled && m_.state == ScrollState::locked) m_.escOn = true;
                if (m_.state != ScrollState::idle) m_.exit();
            }
            world().events().disableTap(*tap, notice);
            return;
        }
    }

    void advance(Micros to) {
        const Micros now = world().runLoop().now();
        const auto ticks = [&](Micros t) { return t > m_.sessionStart ? (t - m_.sessionStart) / kTick : 0; };
        const Point d{m_.sampled().x - m_.anchor.x, m_.sampled().y - m_.anchor.y};
        if (m_.session && (std::abs(d.x) > 10.0 || std::abs(d.y) > 10.0) && ticks(to) > ticks(now)) m_.moved = true;
        constexpr Micros never = std::numeric_limits<Micros>::max();
        // The poll predates any watchdog, so it fires first when both are due together.
        for (Micros cur = now;;) {
            const Micros poll = m_.polling ? m_.pollStart + ((cur - m_.pollStart) / kPoll + 1) * kPoll : never;
            const Micros dog =
                m_.watchdogStart ? *m_.watchdogStart + ((cur - *m_.watchdogStart) / kWatchdog + 1) * kWatchdog : never;
            cur = std::min(poll, dog);
            if (cur > to) break;
            if (poll <= dog) m_.pollTick(cur);
            if (dog <= poll) m_.watchdogTick();
        }
        world().runLoop().advanceTo(to);
    }

    std::string check(bool waited) {
        std::ostringstream o;
        o << violations_;
        auto& engine = run_.engine();
        if (engine.state() != m_.state)
            o << "state " << toString(engine.state()) << ", expected " << toString(m_.state) << "; ";
        if (engine.isEnabled() != m_.enabled) o << "isEnabled " << engine.isEnabled() << "; ";
        int mouse = 0, esc = 0, clicks = 0;
        bool mouseOn = false, escOn = false, clicksOn = false;
        for (const auto& tap : world().events().taps()) {
            const auto name = tools::tapName(*tap);
            (name == "escape" ? esc : name == "mouse" ? mouse : clicks) += 1;
            (name == "escape" ? escOn : name == "mouse" ? mouseOn : clicksOn) = tap->enabled;
        }
        if (mouse != m_.tap || (mouse && mouseOn != m_.tapOn)) o << mouse << " mouse taps, on " << mouseOn << "; ";
        if (esc != m_.esc || (esc && escOn != m_.escOn)) o << esc << " Escape taps, on " << escOn << "; ";
        if (clicks != m_.clicks || (clicks && clicksOn != m_.clicksOn))
            o << clicks << " taps for left and right presses, on " << clicksOn << "; ";
        const bool inSession = engine.state() == ScrollState::pressed || engine.state() == ScrollState::locked;
        if (esc && engine.state() != ScrollState::locked) o << "Escape tap outside a locked session; ";
        const std::size_t timers = world().runLoop().validTimers();
        const std::size_t recheck = m_.recheckPending(world().runLoop().now());
        if (timers != std::size_t(engine.isEnabled()) + m_.polling + inSession + recheck)
            o << timers << " timers with the engine " << (engine.isEnabled() ? "on" : "off") << " in "
              << toString(engine.state()) << (m_.polling ? " while polling" : "") << "; ";
        if (timers != std::size_t(m_.watchdogStart.has_value()) + m_.polling + m_.session + recheck)
            o << timers << " timers against the model; ";
        std::vector<const sim::SimWindow*> markers;
        for (const auto* w : world().windows().visibleWindows())
            if (!w->host()) markers.push_back(w);
        if (markers.size() != std::size_t(inSession))
            o << markers.size() << " markers shown in " << toString(engine.state()) << "; ";
        const platform::Rect frame{m_.anchor.x - 20, 900 - m_.anchor.y - 20, 40, 40};
        if (markers.size() == 1 && m_.session && markers[0]->frame() != frame) o << "marker away from the anchor; ";
        if (tapped_ != expected_) o << "tapped" << text(tapped_) << ", expected" << text(expected_) << "; ";
        if (!waited && delivered_ != expectDelivered_) o << delivered_ << " delivered, " << expectDelivered_ << "; ";
        if (posted_ != expectPosted_) o << posted_ << " posted, expected " << expectPosted_ << "; ";
        if (world().tapsDestroyedInOwnCallback() != 0) o << "a tap destroyed inside its own callback; ";
        if (scrolls_ && !preSession_) o << "scrolled without a session; ";
        // Whatever the program let go of must be gone, not merely hidden or switched off.
        using L = sim::Ledger;
        const auto& ledger = world().ledger();
        const std::size_t taps = std::size_t(m_.tap) + m_.esc;
        if (ledger.live(L::window) != std::size_t(m_.session) || ledger.live(L::tap) != taps ||
            ledger.live(L::runLoopSource) != taps || ledger.live(L::timer) != timers || ledger.live(L::event) != 0 ||
            ledger.live(L::axElement) != 0)
            o << "live resources:\n" << ledger.outstanding();
        return o.str();
    }

    ScenarioRun run_;
    Model m_;
    std::vector<Tapped> tapped_, expected_;
    std::string violations_;
    int delivered_ = 0, expectDelivered_ = 0, posted_ = 0, expectPosted_ = 0, scrolls_ = 0;
    ScrollState preState_ = ScrollState::idle;
    bool preExcluded_ = false, preSession_ = false, ownPost_ = false;
};

class Generator {
public:
    explicit Generator(uint64_t seed, int64_t trigger = kMiddle) : rng_(seed), trigger_(trigger) {}

    Action next(const Model& m) {
        const int r = below(1000);
        if (r < 80) return {Kind::move, 0, 0, {m.anchor.x + offset(), m.anchor.y + offset()}};
        if (r < 200) return {Kind::move, 0, 0, {m.pointer.x + below(31) - 15.0, m.pointer.y + below(31) - 15.0}};
        if (r < 270) return {Kind::move, 0, 0, {below(1500) - 30.0, below(960) - 30.0}};
        if (r < 440) return {Kind::press, button(), flags()};
        if (r < 590) return {Kind::release, button(), flags()};
        if (r < 640) return {Kind::key, below(10) < 6 ? kEscape : std::array<int64_t, 4>{0, 36, 49, 123}[below(4)]};
        if (r < 675) return {Kind::front, below(3) ? below(6) : 0};
        if (r < 685 && m.regions.size() < 60) return region();
        if (r < 715) {
            const EventType notices[] = {0, et::tapDisabledByTimeout, et::tapDisabledByUserInput};
            return {Kind::disable, below(2), notices[below(3)]};
        }
        // Mostly on: a switched-off engine has little to show.
        if (r < 745) return {Kind::power, std::array<int64_t, 8>{0, 0, 1, 2, 2, 2, 2, 3}[below(8)]};
        if (r < 760) return {Kind::trust, below(10) < 8};
        // Failures come and mostly go again soon.
        if (r < 766) return {Kind::fail, below(3), below(6) == 0};
        if (r < 971) return {Kind::wait, duration()};
        if (r < 975) return {Kind::wake};
        if (r < 995) {
            const EventType types[] = {et::otherMouseDown, et::otherMouseUp, et::leftMouseDown, et::rightMouseDown};
            return {Kind::post, types[below(4)], below(4) ? syntheticEventTag : below(2) ? 1 : syntheticEventTag + 1};
        }
        return {Kind::exclude};
    }

private:
    int64_t below(int64_t n) { return std::uniform_int_distribution<int64_t>(0, n - 1)(rng_); }
    // Offsets around the edge of the dead zone, and some well past it.
    double offset() {
        const double edges[] = {0, 9, 10, 10.5, 11, 40, 300};
        return (below(2) ? 1 : -1) * edges[below(7)];
    }
    int64_t button() {
        const int64_t r = below(20);
        return r < 7 ? trigger_ : r < 11 ? kMiddle : r < 14 ? 0 : r < 16 ? 1 : 3 + below(3);
    }
    int64_t flags() { return below(5) == 0 ? platform::eventFlagMaskShift : below(20) == 0 ? 0x00040000 : 0; }
    int64_t duration() {
        const int64_t r = below(100);
        if (r < 15) return 0;
        if (r < 70) return 1 + below(60'000);
        if (r < 98) return 60'000 + below(2'940'000);
        return kWatchdog + below(5'000'000);
    }
    Action region() {
        Action s{Kind::region};
        s.rect = {double(below(1400)), double(below(880)), double(20 + below(400)), double(20 + below(300))};
        const int64_t length = 1 + below(14), link = below(16);
        for (int64_t i = 0; i < length; ++i) {
            const int64_t kind = below(6);
            s.roles.push_back(i == link   ? platform::Value("AXLink")
                              : kind == 0 ? platform::Value()
                              : kind == 1 ? platform::Value(int64_t{7})
                                          : platform::Value(kind == 2 ? "AXStaticText" : "AXGroup"));
        }
        return s;
    }

    std::mt19937_64 rng_;
    int64_t trigger_;
};

uint64_t envNumber(const char* name, uint64_t fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::strtoull(value, nullptr, 0) : fallback;
}

// Runs actions until one fails; the failure names what is needed to replay it.
void runStream(Driver& driver, const std::function<std::optional<Action>(std::size_t)>& source,
               const std::string& origin) {
    std::deque<std::string> recent;
    for (std::size_t n = 0;; ++n) {
        const auto action = source(n);
        if (!action) break;
        recent.push_back(describe(*action));
        if (recent.size() > 16) recent.pop_front();
        if (const std::string fault = driver.step(*action); !fault.empty()) {
            std::string trail;
            for (const auto& s : recent) trail += "\n  " + s;
            FAIL() << origin << ", step " << n << ": " << fault << "\nlast actions:" << trail;
        }
    }
    EXPECT_EQ(driver.leftOver(), "") << origin;
}

// With a side button as the trigger, it takes the middle button's place, and
// the middle button only ends locked sessions.
class RandomStream : public testing::TestWithParam<bool> {};

TEST_P(RandomStream, KeepsTheEngineToItsRules) {
    const bool sideTrigger = GetParam();
    const uint64_t seed = envNumber("QUILLMERE_SEED", sideTrigger ? 20240612 : 20240611);
    const uint64_t length = envNumber("QUILLMERE_GESTURE_EVENTS", 100'000);
    const int64_t trigger = sideTrigger ? 3 + static_cast<int64_t>(seed % 2) : kMiddle;
    Generator generator(seed, trigger);
    Driver driver(seed % 4 != 0, trigger);
    runStream(
        driver,
        [&](std::size_t n) -> std::optional<Action> {
            if (n >= length) return std::nullopt;
            return generator.next(driver.model());
        },
        "QUILLMERE_SEED=" + std::to_string(seed) + ", trigger " + std::to_string(trigger));
}

INSTANTIATE_TEST_SUITE_P(GestureStreams, RandomStream, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "SideButtonTrigger" : "MiddleButtonTrigger"; });

// A second middle press over a link while the first is still held (two mice,
// or a lost release) posts the link click; nothing may scroll afterwards.
TEST(GestureStreams, LinkPressDuringAHeldSessionLeavesNoScrollingBehind) {
    Driver driver(true);
    const std::vector<Action> stream{{Kind::front, 0},
                                     {Kind::region, 0, 0, {}, {480, 480, 40, 40}, {"AXStaticText", "AXLink"}},
                                     {Kind::move, 0, 0, {100, 100}},
                                     {Kind::press, kMiddle},
                                     {Kind::move, 0, 0, {500, 500}},
                                     {Kind::press, kMiddle},
                                     {Kind::release, kMiddle},
                                     {Kind::wait, 500'000}};
    runStream(
        driver, [&](std::size_t n) { return n < stream.size() ? std::optional(stream[n]) : std::nullopt; },
        "fixed stream");
}

}  // namespace
}  // namespace qm::test
