#include "platform/stored_values.h"

#include <cctype>

namespace qm::platform {

std::optional<std::vector<std::string>> stringArrayValue(const Value* value) {
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

bool stringArrayContains(const Value* value, std::string_view string) {
    const auto* array = value ? value->asArray() : nullptr;
    if (!array) return false;
    bool found = false;
    for (const Value& element : *array) {
        const auto* text = element.asString();
        if (!text) return false;
        found = found || *text == string;
    }
    return found;
}

bool boolValue(const Value* value) {
    if (!value) return false;
    if (const auto* b = value->asBool()) return *b;
    if (const auto n = value->number()) return *n != 0;
    if (const auto* text = value->asString()) return stringBoolValue(*text);
    return false;
}

bool stringBoolValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    while (i < text.size() && text[i] == '0') ++i;
    if (i == text.size()) return false;
    const char c = text[i];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

}  // namespace qm::platform
