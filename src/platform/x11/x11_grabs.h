#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <utility>
#include <vector>

#include "platform/services.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_escape_keys.h"

namespace qm::x11 {

// The grabs through which the program sees input before any application:
// - the trigger button, grabbed passively on the root window with any
//   modifiers and the pointer frozen, so that each press waits for a verdict:
//   replayed, the application gets the press and its release as usual;
//   consumed, nobody else sees either, and the release comes here;
// - the whole pointer, while a locked session needs every click; it too
//   freezes the pointer's buttons (not its motion) at each button event, so
//   that the program sees them one at a time and never lets go of the
//   pointer while a press it would have to answer for is on its way;
// - every key that produces Escape, once with each combination of modifiers,
//   because window managers hold Escape with some modifiers and a grab with
//   any modifier would then fail: Escape still ends a session with Shift or
//   AltGr held and Caps Lock on. The grab moves with the keyboard map.
// Other clients' grabs make these fail; each answers whether it holds. The
// trigger's failure is told on the log, once until it holds again, since
// until then the program does nothing at all.
class Grabs : public EventHandler {
public:
    Grabs(Connection& connection, unsigned triggerButton, platform::SystemLog& log);
    ~Grabs() override;
    Grabs(const Grabs&) = delete;
    Grabs& operator=(const Grabs&) = delete;

    unsigned triggerButton() const { return triggerButton_; }
    // Moves the trigger's grab to another button, held at once if the old one was.
    void setTriggerButton(unsigned button);
    // Whether a key event that a grab brought is a press of Escape.
    bool isEscape(const XIDeviceEvent& key) const;

    bool grabTrigger();
    void ungrabTrigger();
    // The pointer's buttons are frozen from the moment this succeeds.
    bool grabPointer();
    // Takes the grab held again, which freezes the pointer's buttons now.
    void freezePointer();
    void ungrabPointer();
    bool grabEscape();
    void ungrabEscape();
    // Lets go of every grab, the trigger's when a press has set it off too.
    void releaseAll();

    // The verdict on the frozen press or key just handled: replay it to its
    // application, or let input go on without it (the pointer until its next
    // button event). Either is ignored when nothing is frozen. It names no
    // time: a grab taken while handling the event is younger than the event,
    // and the server would take the verdict for a stale one.
    void allow(int device, bool replay);

    bool holdsTrigger() const { return trigger_; }
    bool holdsPointer() const { return pointer_; }
    bool holdsEscape() const { return !escapeGrabs_.empty(); }

    // A new keyboard map moves the grab of Escape to the keys that now produce it.
    void handle(XEvent& event) override;

private:
    int takePointer();

    Connection& connection_;
    unsigned triggerButton_;
    platform::SystemLog& log_;
    bool triggerRefusalTold_ = false;
    EscapeKeys escapeKeys_;
    bool trigger_ = false;
    bool pointer_ = false;
    // Each key held for Escape, with the modifier combinations it is held under.
    std::vector<std::pair<KeyCode, std::vector<XIGrabModifiers>>> escapeGrabs_;
};

}  // namespace qm::x11
