#include "platform/x11/x11_grabs.h"

#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include <glib.h>

#include <algorithm>
#include <string>

#include "platform/x11/x11_error_trap.h"

namespace qm::x11 {

namespace {

// The press and release of the grabbed buttons, or of the grabbed key.
struct EventMask {
    explicit EventMask(int device, bool keys) {
        XISetMask(bits, keys ? XI_KeyPress : XI_ButtonPress);
        XISetMask(bits, keys ? XI_KeyRelease : XI_ButtonRelease);
        mask = {device, sizeof bits, bits};
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XIEventMask mask;
};

}  // namespace

Grabs::Grabs(Connection& connection, unsigned triggerButton, platform::SystemLog& log)
    : connection_(connection), triggerButton_(triggerButton), log_(log), escapeKeys_(connection) {
    connection.addHandler(*this);
}

Grabs::~Grabs() {
    connection_.removeHandler(*this);
    ungrabPointer();
    ungrabEscape();
    ungrabTrigger();
}

bool Grabs::grabTrigger() {
    if (trigger_) return true;
    EventMask events(connection_.pointerDevice(), false);
    XIGrabModifiers any{static_cast<int>(XIAnyModifier), 0};
    ErrorTrap trap(connection_.display());
    const int failed =
        XIGrabButton(connection_.display(), connection_.pointerDevice(), static_cast<int>(triggerButton_),
                     connection_.root(), None, XIGrabModeSync, XIGrabModeAsync, False, &events.mask, 1, &any);
    trigger_ = failed == 0 && trap.sync() == Success;
    if (!trigger_ && !triggerRefusalTold_)
        log_.log("Quillmere: another program holds mouse button " + std::to_string(triggerButton_) +
                 "; Quillmere tries again every 30 seconds");
    triggerRefusalTold_ = !trigger_;
    return trigger_;
}

void Grabs::ungrabTrigger() {
    if (!trigger_) return;
    XIGrabModifiers any{static_cast<int>(XIAnyModifier), 0};
    XIUngrabButton(connection_.display(), connection_.pointerDevice(), static_cast<int>(triggerButton_),
                   connection_.root(), 1, &any);
    trigger_ = false;
}

void Grabs::setTriggerButton(unsigned button) {
    if (button == triggerButton_) return;
    const bool held = trigger_;
    ungrabTrigger();
    triggerButton_ = button;
    triggerRefusalTold_ = false;
    if (held) grabTrigger();
}

bool Grabs::grabPointer() {
    if (pointer_) return true;
    EventMask events(connection_.pointerDevice(), false);
    // The cursor stays the one of the window under the pointer.
    const int status = XIGrabDevice(connection_.display(), connection_.pointerDevice(), connection_.root(), CurrentTime,
                                    None, XIGrabModeSync, XIGrabModeAsync, False, &events.mask);
    pointer_ = status == GrabSuccess;
    g_debug("pointer grab %s", pointer_ ? "held" : "refused");
    return pointer_;
}

int Grabs::takePointer() {
    EventMask events(connection_.pointerDevice(), false);
    // The cursor stays the one of the window under the pointer.
    return XIGrabDevice(connection_.display(), connection_.pointerDevice(), connection_.root(), CurrentTime, None,
                        XIGrabModeSync, XIGrabModeAsync, False, &events.mask);
}

void Grabs::freezePointer() {
    if (pointer_) takePointer();
}

void Grabs::ungrabPointer() {
    if (!pointer_) return;
    XIUngrabDevice(connection_.display(), connection_.pointerDevice(), CurrentTime);
    g_debug("pointer grab let go");
    pointer_ = false;
}

bool Grabs::grabEscape() {
    if (holdsEscape()) return true;
    Display* d = connection_.display();
    EventMask events(connection_.keyboardDevice(), true);
    for (const KeyCode key : escapeKeys_.keycodes()) {
        std::vector<XIGrabModifiers> modifiers;
        for (int m = 0; m < 256; ++m) modifiers.push_back({m, 0});
        ErrorTrap trap(d);
        // The answer lists the combinations that another client holds
        // already, at the front; the others are granted.
        const int refused =
            XIGrabKeycode(d, connection_.keyboardDevice(), key, connection_.root(), XIGrabModeSync, XIGrabModeAsync,
                          False, &events.mask, static_cast<int>(modifiers.size()), modifiers.data());
        if (trap.sync() != Success || refused < 0) continue;
        std::vector<XIGrabModifiers> granted;
        for (int m = 0; m < 256; ++m)
            if (std::none_of(modifiers.begin(), modifiers.begin() + std::min(refused, 256),
                             [m](const XIGrabModifiers& r) { return r.modifiers == m; }))
                granted.push_back({m, 0});
        if (!granted.empty()) escapeGrabs_.emplace_back(key, std::move(granted));
    }
    g_debug("escape grab %s", holdsEscape() ? "held" : "refused");
    return holdsEscape();
}

void Grabs::ungrabEscape() {
    for (auto& [key, modifiers] : escapeGrabs_)
        XIUngrabKeycode(connection_.display(), connection_.keyboardDevice(), key, connection_.root(),
                        static_cast<int>(modifiers.size()), modifiers.data());
    escapeGrabs_.clear();
}

void Grabs::releaseAll() {
    ungrabTrigger();
    ungrabEscape();
    // A passive grab that a press set off is held until let go of here.
    XIUngrabDevice(connection_.display(), connection_.pointerDevice(), CurrentTime);
    XIUngrabDevice(connection_.display(), connection_.keyboardDevice(), CurrentTime);
    pointer_ = false;
}

bool Grabs::isEscape(const XIDeviceEvent& key) const {
    return escapeKeys_.produceEscape(static_cast<KeyCode>(key.detail), static_cast<unsigned>(key.mods.effective),
                                     key.group.effective);
}

void Grabs::handle(XEvent& event) {
    if (!escapeKeys_.followMapChange(event) || !holdsEscape()) return;
    ungrabEscape();
    grabEscape();
}

void Grabs::allow(int device, bool replay) {
    const int resume = device == connection_.pointerDevice() ? XISyncDevice : XIAsyncDevice;
    XIAllowEvents(connection_.display(), device, replay ? XIReplayDevice : resume, CurrentTime);
    // Everyone's input waits for this request.
    XFlush(connection_.display());
}

}  // namespace qm::x11
