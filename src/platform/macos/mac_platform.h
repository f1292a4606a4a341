#pragma once

#include "platform/macos/mac_accessibility.h"
#include "platform/macos/mac_application.h"
#include "platform/macos/mac_display_links.h"
#include "platform/macos/mac_events.h"
#include "platform/macos/mac_notifications.h"
#include "platform/macos/mac_run_loop.h"
#include "platform/macos/mac_screens.h"
#include "platform/macos/mac_services.h"
#include "platform/macos/mac_status_bar.h"
#include "platform/macos/mac_user_defaults.h"
#include "platform/macos/mac_window_list.h"
#include "platform/macos/mac_windows.h"
#include "platform/macos/mac_workspace.h"
#include "platform/platform.h"

namespace qm::macos {

// The system's services over the real frameworks, in one place for the program.
class MacPlatform {
public:
    MacPlatform();
    MacPlatform(const MacPlatform&) = delete;
    MacPlatform& operator=(const MacPlatform&) = delete;

    const platform::Platform& platform() const { return platform_; }

private:
    MacEventServices events_;
    MacRunLoop runLoop_;
    MacWindowList windowList_;
    MacAccessibility accessibility_;
    MacWorkspace workspace_;
    MacUserDefaults defaults_;
    MacScreens screens_;
    MacWindowServer windowServer_;
    MacApplication application_;
    MacStatusBar statusBar_;
    MacLoginItems loginItems_;
    MacUpdater updater_;
    MacSystemLog systemLog_;
    MacBundle bundle_;
    MacSystemNotifications notifications_;
    MacDisplayLinks displayLinks_;
    platform::Platform platform_;
};

}  // namespace qm::macos
