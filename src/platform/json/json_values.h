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

// Why a text is not one usable JSON value.
struct JsonFault : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One JSON text, whole. A NUL byte, a key repeated within one object (at any
// depth), and numbers beyond a double's range are faults, as is bad syntax.
ParsedJson parseJson(std::string_view text);

// JSON as a loosely typed platform value (whole numbers stay integers) and back.
platform::Value toValue(const ParsedJson& json);
Json toJson(const platform::Value& value);

// A coordinate or size: whole numbers print without a fraction.
Json number(double x);

// How deeply a text's arrays and objects nest, counted without parsing, so
// that hostile input is turned away before anything recurses over it.
int nestingDepth(std::string_view json);

// One line of JSON with a space after each colon and comma.
std::string dumpLine(const Json& json);

}  // namespace qm::json
