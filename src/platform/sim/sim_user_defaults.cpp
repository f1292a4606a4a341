#include "platform/sim/sim_user_defaults.h"

#include <algorithm>
#include <cctype>

namespace qm::sim {

using platform::Value;

bool stringBoolValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    while (i < text.size() && text[i] == '0') ++i;
    if (i == text.size()) return false;
    const char c = text[i];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

const Value* SimUserDefaults::get(std::string_view key) const {
    const auto it = store_.find(key);
    return it != store_.end() ? &it->second : nullptr;
}

std::optional<std::vector<std::string>> SimUserDefaults::stringArrayForKey(std::string_view key) const {
    const Value* value = get(key);
    const auto* array = value ? value->asArray() : nullptr;
    if (!array) return std::nullopt;
    std::vector<std::string> strings;
    for (const Value& element : *array) {
        const auto* text = element.asString();
        if (!text) return std::nullopt;
        strings.push_back(*text);
    }
    return strings;
}

bool SimUserDefaults::boolForKey(std::string_view key) const {
    const Value* value = get(key);
    if (!value) return false;
    if (const auto* b = value->asBool()) return *b;
    if (const auto n = value->number()) return *n != 0;
    if (const auto* text = value->asString()) return stringBoolValue(*text);
    return false;
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
