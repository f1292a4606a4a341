#include "platform/sim/sim_event.h"

namespace qm::sim {

namespace et = platform::event_type;

bool isMouseButtonEvent(platform::EventType type) {
    return (type >= et::leftMouseDown && type <= et::rightMouseUp) || type == et::otherMouseDown ||
           type == et::otherMouseUp;
}

int64_t SimEvent::integerValueField(platform::EventField field) const {
    for (const auto& [f, v] : fields_)
        if (f == field) return v;
    return 0;
}

void SimEvent::setIntegerValueField(platform::EventField field, int64_t value) {
    for (auto& [f, v] : fields_) {
        if (f == field) {
            v = value;
            return;
        }
    }
    fields_.emplace_back(field, value);
}

}  // namespace qm::sim
