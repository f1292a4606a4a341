#include "platform/x11/x11_escape_keys.h"

#include <X11/keysym.h>

namespace qm::x11 {

EscapeKeys::EscapeKeys(Connection& connection) : connection_(connection) {
    // A new keyboard map comes as one of these, from setxkbmap or a layout switcher.
    constexpr unsigned long changes = XkbNewKeyboardNotifyMask | XkbMapNotifyMask;
    XkbSelectEvents(connection.display(), XkbUseCoreKbd, changes, changes);
    read();
}

void EscapeKeys::read() {
    Display* d = connection_.display();
    map_.reset(XkbGetMap(d, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd));
    keycodes_.clear();
    if (!map_) return;
    for (int key = map_->min_key_code; key <= map_->max_key_code; ++key) {
        const KeySym* symbols = XkbKeySymsPtr(map_.get(), key);
        for (int i = 0; i < XkbKeyNumSyms(map_.get(), key); ++i) {
            if (symbols[i] != XK_Escape) continue;
            keycodes_.push_back(static_cast<KeyCode>(key));
            break;
        }
    }
}

bool EscapeKeys::produceEscape(KeyCode keycode, unsigned modifiers, int group) const {
    if (!map_) return false;
    unsigned consumed = 0;
    KeySym symbol = NoSymbol;
    const unsigned state = XkbBuildCoreState(modifiers & 0xFF, group);
    return XkbTranslateKeyCode(map_.get(), keycode, state, &consumed, &symbol) && symbol == XK_Escape;
}

bool EscapeKeys::followMapChange(XEvent& event) {
    const bool core = event.type == MappingNotify && event.xmapping.request == MappingKeyboard;
    const bool xkb = event.type == connection_.xkbEventBase() &&
                     (reinterpret_cast<XkbAnyEvent&>(event).xkb_type == XkbNewKeyboardNotify ||
                      reinterpret_cast<XkbAnyEvent&>(event).xkb_type == XkbMapNotify);
    if (!core && !xkb) return false;
    if (core) XRefreshKeyboardMapping(&event.xmapping);
    read();
    return true;
}

}  // namespace qm::x11
