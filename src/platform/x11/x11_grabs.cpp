#include "platform/x11/x11_grabs.h"

#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include <glib.h>

#include <algorithm>
#include <string>

#include "platform/x11/x11_error_trap.h"

namespace qm::x11 {

namespace {

// The modifier bit NumLock sits on, which differs between keyboard maps; 0 when none.
int numLockMask(Display* display) {
    const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
    XModifierKeymap* map = XGetModifierMapping(display);
    int mask = 0;
    for (int modifier = 0; modifier < 8 && numLock; ++modifier)
        for (int k = 0; k < map->max_keypermod; ++k)
            if (map->modifiermap[modifier * map->max_keypermod + k] == numLock) mask = 1 << modifier;
    XFreeModifiermap(map);
    return mask;
}

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
    : connection_(connection),
      triggerButton_(triggerButton),
      log_(log),
      escapeKeycode_(XKeysymToKeycode(connection.display(), XK_Escape)) {}

Grabs::~Grabs() {
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
    if (!escapeKeycode_) return false;
    Display* d = connection_.display();
    const int numLock = numLockMask(d);
    std::vector<int> combinations{0, LockMask};
    if (numLock) combinations.insert(combinations.end(), {numLock, LockMask | numLock});

    std::vector<XIGrabModifiers> modifiers;
    for (int m : combinations) modifiers.push_back({m, 0});
    EventMask events(connection_.keyboardDevice(), true);
    ErrorTrap trap(d);
    // The answer overwrites the first entries with the combinations that
    // another client holds already; the others are granted.
    const int failed =
        XIGrabKeycode(d, connection_.keyboardDevice(), escapeKeycode_, connection_.root(), XIGrabModeSync,
                      XIGrabModeAsync, False, &events.mask, static_cast<int>(modifiers.size()), modifiers.data());
    trap.sync();
    for (int m : combinations) {
        const auto refused = modifiers.begin() + std::clamp(failed, 0, static_cast<int>(modifiers.size()));
        if (std::none_of(modifiers.begin(), refused, [m](const XIGrabModifiers& r) { return r.modifiers == m; }))
            escapeModifiers_.push_back(m);
    }
    g_debug("escape grab %s", holdsEscape() ? "held" : "refused");
    return holdsEscape();
}

void Grabs::ungrabEscape() {
    if (!holdsEscape()) return;
    std::vector<XIGrabModifiers> modifiers;
    for (int m : escapeModifiers_) modifiers.push_back({m, 0});
    XIUngrabKeycode(connection_.display(), connection_.keyboardDevice(), escapeKeycode_, connection_.root(),
                    static_cast<int>(modifiers.size()), modifiers.data());
    escapeModifiers_.clear();
}

void Grabs::allow(int device, bool replay) {
    const int resume = device == connection_.pointerDevice() ? XISyncDevice : XIAsyncDevice;
    XIAllowEvents(connection_.display(), device, replay ? XIReplayDevice : resume, CurrentTime);
    // Everyone's input waits for this request.
    XFlush(connection_.display());
}

}  // namespace qm::x11
