#include "tools/json_values.h"

#include <algorithm>
#include <cmath>

namespace qm::tools {

using platform::Value;

Value toValue(const Json& json) {
    switch (json.type()) {
        case Json::value_t::boolean: return Value(json.get<bool>());
        case Json::value_t::number_integer: return Value(json.get<int64_t>());
        case Json::value_t::number_unsigned: {
            const auto u = json.get<uint64_t>();
            if (u <= static_cast<uint64_t>(INT64_MAX)) return Value(static_cast<int64_t>(u));
            return Value(static_cast<double>(u));
        }
        case Json::value_t::number_float: return Value(json.get<double>());
        case Json::value_t::string: return Value(json.get<std::string>());
        case Json::value_t::array: {
            Value::Array array;
            for (const auto& element : json) array.push_back(toValue(element));
            return Value(std::move(array));
        }
        case Json::value_t::object: {
            Value::Dictionary dict;
            for (const auto& [key, element] : json.items()) dict.emplace_back(key, toValue(element));
            return Value(std::move(dict));
        }
        default: return Value();
    }
}

Json toJson(const Value& value) {
    if (const auto* b = value.asBool()) return *b;
    if (const auto* i = value.asInteger()) return *i;
    if (const auto* d = value.asReal()) return *d;
    if (const auto* s = value.asString()) return *s;
    if (const auto* array = value.asArray()) {
        Json json = Json::array();
        for (const auto& element : *array) json.push_back(toJson(element));
        return json;
    }
    if (const auto* dict = value.asDictionary()) {
        Json json = Json::object();
        for (const auto& [key, element] : *dict) json[key] = toJson(element);
        return json;
    }
    return nullptr;
}

Json number(double x) {
    if (std::isfinite(x) && std::trunc(x) == x && std::fabs(x) < 9007199254740992.0) return static_cast<int64_t>(x);
    return x;
}

int nestingDepth(std::string_view json) {
    int depth = 0, deepest = 0;
    bool inString = false, escaped = false;
    for (const char c : json) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') inString = true;
        if (c == '[' || c == '{') deepest = std::max(deepest, ++depth);
        if (c == ']' || c == '}') --depth;
    }
    return deepest;
}

std::string dumpLine(const Json& json) {
    if (json.is_array()) {
        std::string text = "[";
        for (std::size_t i = 0; i < json.size(); ++i) text += (i ? ", " : "") + dumpLine(json[i]);
        return text + "]";
    }
    if (json.is_object()) {
        std::string text = "{";
        bool first = true;
        for (const auto& [key, element] : json.items()) {
            text += (first ? "" : ", ") + Json(key).dump() + ": " + dumpLine(element);
            first = false;
        }
        return text + "}";
    }
    return json.dump();
}

}  // namespace qm::tools
