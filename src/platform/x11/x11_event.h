#pragma once

#include <cstdint>
#include <map>

#include "platform/events.h"

namespace qm::x11 {

// An event as the program sees it: the type, place, flags and fields of the
// Quartz event it stands for, made from an X event or by the program.
class X11Event : public platform::Event {
public:
    X11Event(platform::EventType type, platform::Point location, platform::EventFlags flags = 0)
        : type_(type), location_(location), flags_(flags) {}

    platform::EventType type() const { return type_; }
    platform::Point location() const override { return location_; }
    void setLocation(platform::Point p) override { location_ = p; }
    platform::EventFlags flags() const override { return flags_; }
    int64_t integerValueField(platform::EventField field) const override {
        const auto found = fields_.find(field);
        return found == fields_.end() ? 0 : found->second;
    }
    void setIntegerValueField(platform::EventField field, int64_t value) override { fields_[field] = value; }

private:
    platform::EventType type_;
    platform::Point location_;
    platform::EventFlags flags_;
    std::map<platform::EventField, int64_t> fields_;
};

}  // namespace qm::x11
