#pragma once

namespace qm {

enum class ScrollState {
    idle,       // no session
    pressed,    // a session whose middle button is still held
    locked,     // a session that goes on with the button up until a click or Escape
    swallowUp,  // a link click was replaced; the real release is still to come
};

const char* toString(ScrollState state);

}  // namespace qm
