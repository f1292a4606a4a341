#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/macos/cf_ref.h"
#include "platform/value.h"

// Property-list objects as loosely typed values and back.
namespace qm::macos {

// Nothing when the text does not convert to UTF-8 exactly.
std::optional<std::string> stringFromCF(CFStringRef string);
// Empty when the bytes are not UTF-8.
CFRef<CFStringRef> cfString(std::string_view text);

// Types with no counterpart (data, dates, null, ...) become null values.
platform::Value valueFromCF(CFTypeRef object);
// Empty for a null value; property lists have no null, so containers leave such entries out.
CFRef<CFTypeRef> cfFromValue(const platform::Value& value);

}  // namespace qm::macos
