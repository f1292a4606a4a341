#include "app/app_delegate.h"

namespace qm {

// The system's registration is the only record of this setting; the menu
// shows whatever it reports at the next refresh.
void AppDelegate::toggleLaunchAtLogin() {
    auto& service = platform_.loginItems;
    // The item is disabled then, but the action must hold on its own.
    if (!service.isAvailable()) return;
    std::string error;
    const bool ok = service.status() == platform::LoginItemStatus::enabled ? service.unregisterApp(error)
                                                                           : service.registerApp(error);
    if (!ok) platform_.systemLog.log("Quillmere: Launch at Login toggle failed: " + error);
    refreshMenuState();
}

}  // namespace qm
