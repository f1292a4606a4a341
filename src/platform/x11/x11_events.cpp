#include "platform/x11/x11_events.h"

#include <algorithm>

namespace qm::x11 {

namespace et = platform::event_type;
namespace field = platform::event_field;
using platform::Event;
using platform::EventType;

namespace {

// The key code the program knows Escape by, the Mac's, whatever the keyboard map says.
constexpr int64_t escapeKeyCode = 53;

bool isWheel(unsigned button) {
    return button >= 4 && button <= 7;
}

EventType buttonEventType(unsigned button, bool press) {
    if (button == 1) return press ? et::leftMouseDown : et::leftMouseUp;
    if (button == 3) return press ? et::rightMouseDown : et::rightMouseUp;
    return press ? et::otherMouseDown : et::otherMouseUp;
}

unsigned buttonBit(unsigned button) {
    return button < 32 ? 1u << button : 0;
}

unsigned buttonsIn(const XIButtonState& state) {
    unsigned bits = 0;
    for (int b = 1; b < 32 && b < state.mask_len * 8; ++b)
        if (XIMaskIsSet(state.mask, b)) bits |= buttonBit(static_cast<unsigned>(b));
    return bits;
}

class X11EventSource : public platform::EventSource {};

}  // namespace

struct X11EventServices::TapState {
    platform::EventMask mask = 0;
    platform::TapCallback callback = nullptr;
    void* userInfo = nullptr;
    bool enabled = true;
    bool alive = true;
    bool needsEveryClick = false;
    bool noticeDue = false;
    std::weak_ptr<desktop::SourceModes> source;
};

class X11EventServices::X11Tap : public platform::EventTap {
public:
    X11Tap(X11EventServices& owner, std::shared_ptr<TapState> state) : owner_(owner), state_(std::move(state)) {}
    ~X11Tap() override {
        state_->alive = false;
        std::erase(owner_.taps_, state_);
        owner_.updateGrabs();
    }
    void enable(bool on) override {
        state_->enabled = on;
        owner_.updateGrabs();
    }
    bool isEnabled() const override { return state_->enabled; }
    std::unique_ptr<platform::RunLoopSource> createRunLoopSource(int /*order*/) override {
        auto source = desktop::GLibRunLoop::makeSource();
        state_->source = source->shared();
        return source;
    }
    void setNeedsEveryClick(bool needed) override {
        state_->needsEveryClick = needed;
        owner_.updateGrabs();
    }

private:
    X11EventServices& owner_;
    std::shared_ptr<TapState> state_;
};

X11EventServices::X11EventServices(Connection& connection, desktop::GLibRunLoop& runLoop, const X11Screens& screens,
                                   Grabs& grabs, Posting& posting)
    : connection_(connection), runLoop_(runLoop), screens_(screens), grabs_(grabs), posting_(posting) {
    connection.addHandler(*this);
}

X11EventServices::~X11EventServices() {
    if (notices_) g_source_remove(notices_);
    connection_.removeHandler(*this);
}

std::unique_ptr<platform::EventTap> X11EventServices::tapCreate(platform::TapLocation, platform::TapPlacement placement,
                                                                platform::TapOptions, platform::EventMask mask,
                                                                platform::TapCallback callback, void* userInfo) {
    auto state = std::make_shared<TapState>();
    state->mask = mask;
    state->callback = callback;
    state->userInfo = userInfo;
    taps_.insert(placement == platform::TapPlacement::headInsert ? taps_.begin() : taps_.end(), state);
    updateGrabs();
    // Another client holds what the tap needs. The trigger's tap exists all
    // the same, switched off as the system switches taps off, so that the
    // watchdog tries again; without Escape a session still ends by a click.
    if (!state->enabled && !(mask & platform::eventMaskBit(et::otherMouseDown))) {
        std::erase(taps_, state);
        updateGrabs();
        return nullptr;
    }
    return std::make_unique<X11Tap>(*this, std::move(state));
}

bool X11EventServices::wants(EventType type, bool needsEveryClick) const {
    return std::any_of(taps_.begin(), taps_.end(), [&](const auto& tap) {
        return tap->enabled && (tap->mask & platform::eventMaskBit(type)) && (!needsEveryClick || tap->needsEveryClick);
    });
}

// Brings the grabs in line with what the taps ask for. A tap whose grab
// another client holds is switched off, and the watchdog tries again later.
void X11EventServices::updateGrabs() {
    if (suspended_) return;
    const auto disableTaps = [&](EventType type) {
        for (const auto& tap : taps_)
            if (tap->mask & platform::eventMaskBit(type)) tap->enabled = false;
    };
    if (wants(et::otherMouseDown, false)) {
        if (!grabs_.grabTrigger()) disableTaps(et::otherMouseDown);
    } else {
        grabs_.ungrabTrigger();
    }
    if (wants(et::keyDown, false)) {
        if (!grabs_.grabEscape()) disableTaps(et::keyDown);
    } else {
        grabs_.ungrabEscape();
    }
    if (wants(et::leftMouseDown, true)) {
        grabPointer();
    } else if (buttonsDown_ == 0) {
        releasePointer();
    }
}

// The grab freezes the pointer's buttons at once. While an event is being
// handled, its verdict lets them go on; otherwise that is done here.
void X11EventServices::grabPointer() {
    const bool held = grabs_.holdsPointer();
    if (!grabs_.grabPointer()) {
        noticeLostClicks();
        return;
    }
    if (!held && !frozenAt_) grabs_.allow(connection_.pointerDevice(), false);
    posting_.setSessionOn(true);
}

// While a button event is handled the pointer is frozen, and letting go of it
// is safe. Anywhere else (Escape, a timer) a press may be on its way to the
// program under its grab; let go then, and that press's release would reach
// an application that never saw the press. So the pointer is frozen first,
// and held on while a button event the server sent before is still to be
// handled: the release that follows it lets go.
void X11EventServices::releasePointer() {
    if (!grabs_.holdsPointer()) return;
    if (!frozenAt_) {
        grabs_.freezePointer();
        XSync(connection_.display(), False);
        if (buttonEventsWaiting()) return;
    }
    grabs_.ungrabPointer();
    posting_.setSessionOn(false);
}

bool X11EventServices::buttonEventsWaiting() const {
    int waiting = 0;
    XEvent ignored;
    // The predicate sees every queued event and takes none.
    struct Count {
        int opcode;
        int* waiting;
    } count{connection_.xinputOpcode(), &waiting};
    XCheckIfEvent(
        connection_.display(), &ignored,
        [](Display*, XEvent* event, XPointer arg) -> Bool {
            const auto* c = reinterpret_cast<const Count*>(arg);
            const XGenericEventCookie& cookie = event->xcookie;
            if (cookie.type == GenericEvent && cookie.extension == c->opcode &&
                (cookie.evtype == XI_ButtonPress || cookie.evtype == XI_ButtonRelease))
                ++*c->waiting;
            return False;
        },
        reinterpret_cast<XPointer>(&count));
    return waiting > 0;
}

// Another client holds the pointer (an open menu, say), so the clicks that
// would end a locked session go elsewhere. The taps are told as the system
// tells of a tap it switched off, once the current event is done.
void X11EventServices::noticeLostClicks() {
    for (const auto& tap : taps_)
        if (tap->needsEveryClick) tap->noticeDue = true;
    if (!notices_) notices_ = g_idle_add(&X11EventServices::sendNotices, this);
}

void X11EventServices::suspend() {
    suspended_ = true;
    for (const auto& tap : std::vector(taps_)) {
        if (!tap->alive) continue;
        X11Event notice(et::tapDisabledByUserInput, {});
        tap->callback(et::tapDisabledByUserInput, &notice, tap->userInfo);
    }
    grabs_.releaseAll();
    posting_.setSessionOn(false);
    buttonsDown_ = 0;
    XSync(connection_.display(), False);
}

void X11EventServices::resume() {
    // Presses and keys the grabs brought before the stop are stale; they go unanswered.
    connection_.dispatchPending();
    suspended_ = false;
    updateGrabs();
}

gboolean X11EventServices::sendNotices(gpointer self) {
    auto& services = *static_cast<X11EventServices*>(self);
    services.notices_ = 0;
    for (const auto& tap : std::vector(services.taps_)) {
        if (!tap->alive || !tap->noticeDue) continue;
        tap->noticeDue = false;
        X11Event notice(et::tapDisabledByUserInput, {});
        tap->callback(et::tapDisabledByUserInput, &notice, tap->userInfo);
    }
    return G_SOURCE_REMOVE;
}

bool X11EventServices::deliver(EventType type, X11Event& event) {
    // A callback may create or destroy taps; the ones present now decide.
    for (const auto& tap : std::vector(taps_)) {
        const auto source = tap->source.lock();
        if (!tap->alive || !tap->enabled || !(tap->mask & platform::eventMaskBit(type)) || !source ||
            !runLoop_.isLive(source->modes))
            continue;
        if (!tap->callback(type, &event, tap->userInfo)) return true;
    }
    return false;
}

void X11EventServices::handle(XEvent& xevent) {
    const XGenericEventCookie& cookie = xevent.xcookie;
    if (cookie.type != GenericEvent || cookie.extension != connection_.xinputOpcode() || !cookie.data) return;
    const auto& event = *static_cast<const XIDeviceEvent*>(cookie.data);
    if (suspended_) return;
    switch (cookie.evtype) {
        case XI_ButtonPress:
        case XI_ButtonRelease:
            if (event.deviceid != connection_.pointerDevice()) break;
            frozenAt_ = screens_.toQuartz(event.root_x, event.root_y);
            onButton(event, cookie.evtype == XI_ButtonPress);
            frozenAt_.reset();
            break;
        case XI_KeyPress:
            if (event.deviceid == connection_.keyboardDevice()) onKey(event);
            break;
        default: break;
    }
}

void X11EventServices::onButton(const XIDeviceEvent& xevent, bool press) {
    const auto button = static_cast<unsigned>(xevent.detail);
    const unsigned before = buttonsIn(xevent.buttons) & ~buttonBit(button);
    buttonsDown_ = press ? before | buttonBit(button) : before;
    // Only the press that set off the trigger's passive grab can go back to
    // its application: replaying any later one would end the grab while a
    // consumed press is still down.
    const bool replayable = press && button == grabs_.triggerButton() && before == 0 && !grabs_.holdsPointer();

    bool consumed = false;
    if (!isWheel(button)) {
        const unsigned mods = static_cast<unsigned>(xevent.mods.effective);
        X11Event event(buttonEventType(button, press), screens_.toQuartz(xevent.root_x, xevent.root_y),
                       (mods & ShiftMask) ? platform::eventFlagMaskShift : 0);
        event.setIntegerValueField(field::mouseButtonNumber, quartzButton(button));
        consumed = deliver(event.type(), event);
    }
    g_debug("button %u %s %s", button, press ? "press" : "release", consumed ? "consumed" : "passed");
    // A consumed press keeps the pointer here until its release, and past it
    // while a tap needs every click: held from the press on, the pointer has
    // no moment between the release and a locked session's grab in which a
    // click could slip past.
    if (press && consumed) grabPointer();
    // Every button event a grab brings has frozen the pointer. The pointer is
    // let go while still frozen, so that no press slips past; letting go
    // thaws it, and a verdict sent after that would thaw the freeze of a
    // later press instead.
    if (!press) updateGrabs();
    if (replayable && !consumed)
        grabs_.allow(xevent.deviceid, true);
    else if (press || grabs_.holdsPointer())
        grabs_.allow(xevent.deviceid, false);
}

void X11EventServices::onKey(const XIDeviceEvent& xevent) {
    bool consumed = false;
    if (grabs_.isEscape(xevent)) {
        X11Event event(et::keyDown, screens_.toQuartz(xevent.root_x, xevent.root_y));
        event.setIntegerValueField(field::keyboardKeycode, escapeKeyCode);
        consumed = deliver(et::keyDown, event);
    }
    g_debug("key %d %s", xevent.detail, consumed ? "consumed" : "passed");
    grabs_.allow(xevent.deviceid, !consumed);
}

std::unique_ptr<platform::EventSource> X11EventServices::createSource(platform::EventSourceState) {
    return std::make_unique<X11EventSource>();
}

std::unique_ptr<Event> X11EventServices::create(const platform::EventSource*) {
    // Frozen, the pointer is where the event being handled found it: no need to ask.
    if (frozenAt_) return std::make_unique<X11Event>(0, *frozenAt_);
    Window root, child;
    double rootX = 0, rootY = 0, winX, winY;
    XIButtonState buttons{};
    XIModifierState mods{};
    XIGroupState group{};
    if (!XIQueryPointer(connection_.display(), connection_.pointerDevice(), connection_.root(), &root, &child, &rootX,
                        &rootY, &winX, &winY, &buttons, &mods, &group))
        return nullptr;
    free(buttons.mask);
    return std::make_unique<X11Event>(0, screens_.toQuartz(rootX, rootY));
}

std::unique_ptr<Event> X11EventServices::createMouseEvent(const platform::EventSource*, EventType type,
                                                          platform::Point location, platform::MouseButton button) {
    auto event = std::make_unique<X11Event>(type, location);
    event->setIntegerValueField(field::mouseButtonNumber, button);
    return event;
}

std::unique_ptr<Event> X11EventServices::createScrollWheelEvent2(const platform::EventSource* source,
                                                                 platform::ScrollUnit, uint32_t, int32_t wheel1,
                                                                 int32_t wheel2, int32_t) {
    // Made at the pointer, as the system makes it.
    auto at = create(source);
    auto event = std::make_unique<X11Event>(et::scrollWheel, at ? at->location() : platform::Point{});
    event->setIntegerValueField(field::scrollWheelPointDeltaAxis1, wheel1);
    event->setIntegerValueField(field::scrollWheelPointDeltaAxis2, wheel2);
    return event;
}

void X11EventServices::post(platform::TapLocation, Event& event) {
    posting_.post(static_cast<const X11Event&>(event));
}

void X11EventServices::postToPid(int32_t, Event& event) {
    posting_.post(static_cast<const X11Event&>(event));
}

}  // namespace qm::x11
