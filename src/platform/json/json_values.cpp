#include "platform/json/json_values.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>
#include <vector>

#include "platform/utf8.h"

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

// Reads a text without keeping anything, to learn where it goes wrong: the
// parser names the byte of every fault to this reader, which the tree
// builder turns into an exception that names none.
class FaultFinder : public nlohmann::json_sax<ParsedJson> {
public:
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t position, const std::string& token, const nlohmann::detail::exception&) override {
        // The parser has read the whole token by then; the fault is its first byte.
        byte = position >= token.size() ? position - token.size() + 1 : position;
        return false;
    }
    std::size_t byte = 0;
};

std::size_t faultyByte(std::string_view text) {
    FaultFinder finder;
    ParsedJson::sax_parse(text, &finder);
    return finder.byte;
}

}  // namespace

ParsedJson parseJson(std::string_view text) {
    // The parser would take a NUL byte for the end of the text.
    if (const auto nul = text.find('\0'); nul != std::string_view::npos)
        throw JsonFault("a NUL byte at byte " + std::to_string(nul + 1), "a NUL byte", nul + 1);
    // The keys of each object being read, the innermost last.
    std::vector<std::unordered_set<std::string>> open;
    const ParsedJson::parser_callback_t noRepeats = [&](int, ParsedJson::parse_event_t event, ParsedJson& parsed) {
        using Event = ParsedJson::parse_event_t;
        if (event == Event::object_start) {
            open.emplace_back();
        } else if (event == Event::object_end) {
            open.pop_back();
        } else if (event == Event::key && !open.back().insert(parsed.get<std::string>()).second) {
            const std::string reason =
                "the key " + shownKey(parsed.get<std::string>()) + " appears twice in one object";
            throw JsonFault(reason, reason, 0);
        }
        return true;
    };
    try {
        return ParsedJson::parse(text, noRepeats);
    } catch (const ParsedJson::parse_error& e) {
        throw JsonFault("not valid JSON (at byte " + std::to_string(e.byte) + ")", "not valid JSON", e.byte);
    } catch (const ParsedJson::exception& e) {
        // Numbers beyond a double's range, and the like.
        const std::string what = e.what();
        const std::string reason = "not usable JSON: " + what.substr(what.find(']') + 2);
        throw JsonFault(reason, reason, faultyByte(text));
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
    if (const auto* s = value.asString()) return platform::repairedUtf8(*s);
    if (const auto* array = value.asArray()) {
        Json json = Json::array();
        for (const auto& element : *array) json.push_back(toJson(element));
        return json;
    }
    if (const auto* dict = value.asDictionary()) {
        Json json = Json::object();
        for (const auto& [key, element] : *dict) json[platform::repairedUtf8(key)] = toJson(element);
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

TextPosition positionOf(std::string_view text, std::size_t byte) {
    TextPosition position;
    for (std::size_t i = 0; i + 1 < byte && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++position.line;
            position.column = 1;
        } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            // A byte that continues a character is not a column of its own.
            ++position.column;
        }
    }
    return position;
}

// What the program writes may hold text that is not UTF-8 (another
// application's name, say); such text goes out with U+FFFD for each bad part.
std::string dumpLine(const Json& json) {
    constexpr auto replace = Json::error_handler_t::replace;
    if (json.is_array()) {
        std::string text = "[";
        for (std::size_t i = 0; i < json.size(); ++i) text += (i ? ", " : "") + dumpLine(json[i]);
        return text + "]";
    }
    if (json.is_object()) {
        std::string text = "{";
        bool first = true;
        for (const auto& [key, element] : json.items()) {
            text += (first ? "" : ", ") + Json(key).dump(-1, ' ', false, replace) + ": " + dumpLine(element);
            first = false;
        }
        return text + "}";
    }
    return json.dump(-1, ' ', false, replace);
}

}  // namespace qm::json
