#include "platform/sim/sim_user_defaults.h"

#include <algorithm>

#include "platform/stored_values.h"

namespace qm::sim {

using platform::Value;

const Value* SimUserDefaults::get(std::string_view key) const {
    const auto it = store_.find(key);
    return it != store_.end() ? &it->second : nullptr;
}

std::optional<std::vector<std::string>> SimUserDefaults::stringArrayForKey(std::string_view key) const {
    return platform::stringArrayValue(get(key));
}

bool SimUserDefaults::stringArrayContains(std::string_view key, std::string_view string) const {
    return platform::stringArrayContains(get(key), string);
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

std::optional<Value> SimUserDefaults::objectForKey(std::string_view key) const {
    const Value* value = get(key);
    return value ? std::optional(*value) : std::nullopt;
}

// Only a key that was there counts as a write: removing nothing changes nothing.
void SimUserDefaults::removeObject(std::string_view key) {
    if (!get(key)) return;
    put(key, Value());
    context_.observer->defaultsWritten(key, Value());
}

void SimUserDefaults::put(std::string_view key, Value value) {
    if (const auto it = store_.find(key); it != store_.end()) store_.erase(it);
    if (!value.isNull()) store_.emplace(std::string(key), std::move(value));
}

}  // namespace qm::sim
