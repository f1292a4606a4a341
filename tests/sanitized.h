#pragma once

namespace qm::test {

// Whether this build runs under AddressSanitizer, which makes work about a
// hundred times dearer: tests of large inputs take smaller ones there.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool sanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool sanitized = true;
#else
inline constexpr bool sanitized = false;
#endif
#else
inline constexpr bool sanitized = false;
#endif

}  // namespace qm::test
