#include "platform/sim/sim_user_defaults.h"

#include <algorithm>

#include "platform/stored_values.h"

namespace qm::sim {

using platform::Value;

const Value* SimUserDefaults::get(std::string_view key) const {
    for (const auto& [k, v] : store_)
        if (k == key) return &v;
    return nullptr;
}

std::optional<std::vector<std::string>> SimUserDefaults::stringArrayForKey(std::string_view key) const {
    return platform::stringArrayValue(get(key));
}

bool SimUserDefaults::boolForKey(std::string_view key) const {
    return platform::boolValue(get(key));
}

void SimUserDefaults::setObject(const Value& value, std::string_view key) {
    put(key, value);
    context_.observer->defaultsWritten(key, value);
}

void SimUserDefaults::setBool(bool value, std::string_view key) {
    setObject(Value(value), key);
}

void SimUserDefaults::put(std::string_view key, Value value) {
    std::erase_if(store_, [key](const auto& entry) { return entry.first == key; });
    if (!value.isNull()) store_.emplace_back(std::string(key), std::move(value));
}

}  // namespace qm::sim
