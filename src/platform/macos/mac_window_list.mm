#include "platform/macos/mac_window_list.h"

#include <CoreGraphics/CoreGraphics.h>

#include "platform/macos/cf_values.h"

namespace qm::macos {

std::optional<platform::Value> MacWindowList::copyWindowInfo(platform::WindowListOptions options,
                                                             platform::WindowID relativeTo) {
    CFRef<CFArrayRef> windows(CGWindowListCopyWindowInfo(options, relativeTo));
    if (!windows) return std::nullopt;
    return valueFromCF(windows.get());
}

}  // namespace qm::macos
