#pragma once

#include <gdk/gdk.h>

#include <optional>

namespace qm::gtk {

// The XEmbed system tray of the default screen, as its manager window tells:
// whether one runs, and the colour it asks its icons to draw in
// (_NET_SYSTEM_TRAY_COLORS), which only some trays say.
bool systemTrayRunning();
std::optional<GdkRGBA> systemTrayForeground();

}  // namespace qm::gtk
