#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/geometry.h"
#include "platform/value.h"

// Window list services: on-screen windows front to back, as loosely typed entries.
namespace qm::platform {

namespace window_key {
inline constexpr std::string_view number = "kCGWindowNumber";
inline constexpr std::string_view layer = "kCGWindowLayer";
inline constexpr std::string_view ownerPID = "kCGWindowOwnerPID";
inline constexpr std::string_view bounds = "kCGWindowBounds";
}  // namespace window_key

using WindowListOptions = uint32_t;
inline constexpr WindowListOptions windowListOptionOnScreenOnly = 1;
inline constexpr WindowListOptions windowListExcludeDesktopElements = 16;

using WindowID = uint32_t;
inline constexpr WindowID nullWindowID = 0;

class WindowList {
public:
    virtual ~WindowList() = default;
    // An array of dictionaries when the window server answers; nothing otherwise.
    virtual std::optional<Value> copyWindowInfo(WindowListOptions options, WindowID relativeTo) = 0;
};

// A bounds dictionary ({X, Y, Width, Height}, numbers) as a rectangle.
std::optional<Rect> rectFromDictionary(const Value& dictionary);
Value dictionaryFromRect(const Rect& rect);

}  // namespace qm::platform
