#pragma once

#include <utility>
#include <vector>

#include "platform/events.h"
#include "platform/sim/ledger.h"

namespace qm::sim {

// A press or release of a mouse button, of any of the three kinds.
bool isMouseButtonEvent(platform::EventType type);

class SimEvent : public platform::Event {
public:
    SimEvent(Ledger& ledger, platform::EventType type, platform::Point location)
        : counted_(ledger, Ledger::event), type_(type), location_(location) {}

    platform::EventType type() const { return type_; }
    platform::Point location() const override { return location_; }
    void setLocation(platform::Point p) override { location_ = p; }
    platform::EventFlags flags() const override { return flags_; }
    void setFlags(platform::EventFlags flags) { flags_ = flags; }
    int64_t integerValueField(platform::EventField field) const override;
    void setIntegerValueField(platform::EventField field, int64_t value) override;

private:
    Counted counted_;
    platform::EventType type_;
    platform::Point location_;
    platform::EventFlags flags_ = 0;
    std::vector<std::pair<platform::EventField, int64_t>> fields_;
};

}  // namespace qm::sim
