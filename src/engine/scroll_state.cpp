#include "engine/scroll_state.h"

namespace qm {

const char* toString(ScrollState state) {
    switch (state) {
        case ScrollState::idle: return "idle";
        case ScrollState::pressed: return "pressed";
        case ScrollState::locked: return "locked";
        case ScrollState::swallowUp: return "swallowUp";
    }
    return "?";
}

}  // namespace qm
