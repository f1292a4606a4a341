#pragma once

#include "platform/accessibility.h"
#include "platform/alerts.h"
#include "platform/application.h"
#include "platform/display_link.h"
#include "platform/events.h"
#include "platform/main_queue.h"
#include "platform/menus.h"
#include "platform/run_loop.h"
#include "platform/screens.h"
#include "platform/services.h"
#include "platform/system_notifications.h"
#include "platform/user_defaults.h"
#include "platform/window_list.h"
#include "platform/windows.h"
#include "platform/workspace.h"

namespace qm::platform {

// The one place the program gets the system's services from. Each backend
// (the simulated desktop, macOS, X11) fills it with its own implementations.
struct Platform {
    EventServices& events;
    RunLoop& runLoop;
    WindowList& windowList;
    Accessibility& accessibility;
    Workspace& workspace;
    ProcessInfo& process;
    UserDefaults& defaults;
    Screens& screens;
    WindowServer& windowServer;
    Application& application;
    StatusBar& statusBar;
    Alerts& alerts;
    LoginItemService& loginItems;
    Updater& updater;
    SystemLog& systemLog;
    Bundle& bundle;
    MainQueue& mainQueue;
    SystemNotifications& notifications;
    DisplayLinks& displayLinks;
    // How the frontmost application's identifier reads, and so which of the
    // built-in application sets apply.
    AppIdentifierKind appIdentifiers = AppIdentifierKind::bundleIdentifier;
    PressOwner pressOwner = PressOwner::frontmostApplication;
};

}  // namespace qm::platform
