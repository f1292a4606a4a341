#pragma once

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <memory>
#include <vector>

#include "platform/x11/x11_connection.h"

namespace qm::x11 {

// The keys that produce Escape in the keyboard map as it is now: the Escape
// key, a key the user remapped to Escape (caps:escape), none of them after
// Escape was moved elsewhere. A key that gives Escape only at some level or
// in some group is among them, so whether a press of it is Escape depends on
// the modifiers and group it came with.
class EscapeKeys {
public:
    explicit EscapeKeys(Connection& connection);

    const std::vector<KeyCode>& keycodes() const { return keycodes_; }
    // Whether the press of keycode with these modifiers (locked ones
    // included) and this group produced Escape.
    bool produceEscape(KeyCode keycode, unsigned modifiers, int group) const;

    // Whether the event tells that the keyboard map changed; the keys are
    // read again if so.
    bool followMapChange(XEvent& event);

private:
    struct FreeKeyboard {
        void operator()(XkbDescPtr map) const { XkbFreeKeyboard(map, 0, True); }
    };

    void read();

    Connection& connection_;
    std::unique_ptr<XkbDescRec, FreeKeyboard> map_;
    std::vector<KeyCode> keycodes_;
};

}  // namespace qm::x11
