#include "platform/sim/sim_event.h"

namespace qm::sim {

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
