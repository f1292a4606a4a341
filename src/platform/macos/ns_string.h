#pragma once

#include <string_view>

@class NSString;

namespace qm::macos {

// Never nil, so that it can go wherever AppKit will not take nil: bytes that
// are not UTF-8 become U+FFFD, and a NUL byte stays in the text.
NSString* nsString(std::string_view text);

}  // namespace qm::macos
