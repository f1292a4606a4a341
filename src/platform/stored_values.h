#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/value.h"

// How the user defaults read a stored value of any type as the type asked for,
// the same on every platform.
namespace qm::platform {

// The strings of an array that holds nothing else; nothing for any other value.
std::optional<std::vector<std::string>> stringArrayValue(const Value* value);
// Whether stringArrayValue would hold string, found without a copy.
bool stringArrayContains(const Value* value, std::string_view string);

// True for true, a non-zero number, or a string that reads as true.
bool boolValue(const Value* value);

// How the system reads a string as a boolean: true when, after white space,
// one optional sign and any zeros, it begins with Y, y, T, t or a digit 1 to 9.
bool stringBoolValue(std::string_view text);

}  // namespace qm::platform
