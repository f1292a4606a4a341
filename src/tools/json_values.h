#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "platform/value.h"

namespace qm::tools {

using Json = nlohmann::ordered_json;

// JSON as a loosely typed platform value (whole numbers stay integers) and back.
platform::Value toValue(const Json& json);
Json toJson(const platform::Value& value);

// A coordinate or size: whole numbers print without a fraction.
Json number(double x);

// How deeply a text's arrays and objects nest, counted without parsing, so
// that hostile input is turned away before anything recurses over it.
int nestingDepth(std::string_view json);

// One line of JSON with a space after each colon and comma.
std::string dumpLine(const Json& json);

}  // namespace qm::tools
