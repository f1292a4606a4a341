#include "platform/macos/mac_platform.h"

namespace qm::macos {

MacPlatform::MacPlatform()
    : platform_{.events = events_,
                .runLoop = runLoop_,
                .windowList = windowList_,
                .accessibility = accessibility_,
                .workspace = workspace_,
                .process = workspace_,
                .defaults = defaults_,
                .screens = screens_,
                .windowServer = windowServer_,
                .application = application_,
                .statusBar = statusBar_,
                .alerts = application_,
                .loginItems = loginItems_,
                .updater = updater_,
                .systemLog = systemLog_,
                .bundle = bundle_,
                .mainQueue = runLoop_,
                .notifications = notifications_,
                .displayLinks = displayLinks_} {}

}  // namespace qm::macos
