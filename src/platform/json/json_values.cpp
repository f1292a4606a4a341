#include "platform/json/json_values.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>
#include <vector>

namespace qm::json {

using platform::Value;

namespace {

// A key as a message shows it: quoted, in ASCII so that it can be cut anywhere, and short.
std::string shownKey(const std::string& key) {
    std::string text = ParsedJson(key).dump(-1, ' ', true);
    constexpr std::size_t longest = 60;
    if (text.size() > longest) text = text.substr(0, longest - 4) + "...\"";
    return text;
}

}  // namespace

ParsedJson parseJson(std::string_view text) {
    // The parser would take a NUL byte for the end of the text.
    if (const auto nul = text.find('\0'); nul != std::string_view::npos)
        throw JsonFault("a NUL byte at byte " + std::to_string(nul + 1));
    // The keys of each object being read, the innermost last.
    std::vector<std::unordered_set<std::string>> open;
    const ParsedJson::parser_callback_t noRepeats = [&](int, ParsedJson::parse_event_t event, ParsedJson& parsed) {
        using Event = ParsedJson::parse_event_t;
        if (event == Event::object_start) {
            open.emplace_back();
        } else if (event == Event::object_end) {
            open.pop_back();
        } else if (event == Event::key && !open.back().insert(parsed.get<std::string>()).second) {
            throw JsonFault("the key " + shownKey(parsed.get<std::string>()) + " appears twice in one object");
        }
        return true;
    };
    try {
        return ParsedJson::parse(text, noRepeats);
    } catch (const ParsedJson::parse_error& e) {
        throw JsonFault("not valid JSON (at byte " + std::to_string(e.byte) + ")");
    } catch (const ParsedJson::exception& e) {
        // Numbers beyond a double's range, and the like.
        const std::string what = e.what();
        throw JsonFault("not usable JSON: " + what.substr(what.find(']') + 2));
    }
}

Value toValue(const ParsedJson& json) {
    using Type = ParsedJson::value_t;
    switch (json.type()) {
        case Type::boolean: return Value(json.get<bool>());
        case Type::number_integer: return Value(json.get<int64_t>());
        case Type::number_unsigned: {
            const auto u = json.get<uint64_t>();
            if (u <= static_cast<uint64_t>(INT64_MAX)) return Value(static_cast<int64_t>(u));
            return Value(static_cast<double>(u));
        }
        case Type::number_float: return Value(json.get<double>());
        case Type::string: return Value(json.get<std::string>());
        case Type::array: {
            Value::Array array;
            for (const auto& element : json) array.push_back(toValue(element));
            return Value(std::move(array));
        }
        case Type::object: {
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

}  // namespace qm::json
