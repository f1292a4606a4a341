#pragma once

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/value.h"

namespace qm::json {

// What the trace writes: objects keep their keys in the order written.
using Json = nlohmann::ordered_json;
// What is read: objects keyed by a sorted map, so that an object of many keys
// costs n log n to read rather than the n squared of an ordered one.
using ParsedJson = nlohmann::json;

// Why a text is not one usable JSON value: the whole message, the reason
// alone, and the byte (counted from 1) at which it went wrong when one byte
// can be named, else 0.
struct JsonFault : std::runtime_error {
    JsonFault(const std::string& what, std::string reason, std::size_t byte)
        : std::runtime_error(what), reason(std::move(reason)), byte(byte) {}
    std::string reason;
    std::size_t byte;
};

// One JSON text, whole. A NUL byte, a key repeated within one object (at any
// depth), and numbers beyond a double's range are faults, as is bad syntax.
ParsedJson parseJson(std::string_view text);

// JSON as a loosely typed platform value (whole numbers stay integers) and
// back. Strings and keys that are not UTF-8 go out with U+FFFD in place of
// each ill-formed part, so that writing the JSON never fails on them.
platform::Value toValue(const ParsedJson& json);
Json toJson(const platform::Value& value);

// A coordinate or size: whole numbers print without a fraction.
Json number(double x);

// How deeply a text's arrays and objects nest, counted without parsing, so
// that hostile input is turned away before anything recurses over it.
int nestingDepth(std::string_view json);

// Where a byte of a text lies for a person: its line and the character on
// that line, both counted from 1.
struct TextPosition {
    std::size_t line = 1;
    std::size_t column = 1;
};
TextPosition positionOf(std::string_view text, std::size_t byte);

// One line of JSON with a space after each colon and comma.
std::string dumpLine(const Json& json);

}  // namespace qm::json
