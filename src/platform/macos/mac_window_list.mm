#include "platform/macos/mac_window_list.h"

#include <CoreGraphics/CoreGraphics.h>

#include <string_view>
#include <utility>

#include "platform/macos/cf_values.h"

namespace qm::macos {

namespace {

namespace key = platform::window_key;

// An entry with the fields the program reads, found by the window server's own
// key constants: these are objects, not numbers, so no compile-time check can
// hold them against the platform's names, but this mapping cannot drift.
platform::Value entryValue(CFTypeRef entry) {
    if (!entry || CFGetTypeID(entry) != CFDictionaryGetTypeID()) return valueFromCF(entry);
    const std::pair<CFStringRef, std::string_view> keys[] = {{kCGWindowNumber, key::number},
                                                             {kCGWindowLayer, key::layer},
                                                             {kCGWindowOwnerPID, key::ownerPID},
                                                             {kCGWindowBounds, key::bounds}};
    platform::Value::Dictionary fields;
    for (const auto& [sdkKey, name] : keys) {
        if (const void* value = CFDictionaryGetValue(static_cast<CFDictionaryRef>(entry), sdkKey))
            fields.emplace_back(std::string(name), valueFromCF(value));
    }
    return fields;
}

}  // namespace

std::optional<platform::Value> MacWindowList::copyWindowInfo(platform::WindowListOptions options,
                                                             platform::WindowID relativeTo) {
    CFRef<CFArrayRef> windows(CGWindowListCopyWindowInfo(options, relativeTo));
    if (!windows) return std::nullopt;
    platform::Value::Array entries;
    const CFIndex count = CFArrayGetCount(windows.get());
    for (CFIndex i = 0; i < count; ++i) entries.push_back(entryValue(CFArrayGetValueAtIndex(windows.get(), i)));
    return entries;
}

}  // namespace qm::macos
