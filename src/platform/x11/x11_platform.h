#pragma once

#include "platform/platform.h"
#include "platform/x11/glib_run_loop.h"
#include "platform/x11/interim_services.h"
#include "platform/x11/x11_application.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_connection_source.h"
#include "platform/x11/x11_events.h"
#include "platform/x11/x11_grabs.h"
#include "platform/x11/x11_login_items.h"
#include "platform/x11/x11_posting.h"
#include "platform/x11/x11_screens.h"
#include "platform/x11/x11_second_pointer.h"
#include "platform/x11/x11_services.h"
#include "platform/x11/x11_user_defaults.h"
#include "platform/x11/x11_window_list.h"
#include "platform/x11/x11_windows.h"
#include "platform/x11/x11_workspace.h"

namespace qm::x11 {

// What can be chosen about the desktop when the program starts.
struct Options {
    // The X button that starts sessions: 2 (middle), or a side button 8 or 9.
    unsigned triggerButton = 2;
};

// The system's services on an X11 desktop, in one place for the program.
// Throws SetupError when the desktop cannot carry the program.
class X11Platform {
public:
    explicit X11Platform(const Options& options = {});
    X11Platform(const X11Platform&) = delete;
    X11Platform& operator=(const X11Platform&) = delete;

    const platform::Platform& platform() const { return platform_; }

private:
    X11SystemLog systemLog_;
    Connection connection_;
    GLibRunLoop runLoop_;
    X11Screens screens_;
    X11UserDefaults defaults_;
    SecondPointer secondPointer_;
    Posting posting_;
    Grabs grabs_;
    X11EventServices events_;
    ConnectionSource connectionSource_;
    X11WindowList windowList_;
    X11Workspace workspace_;
    interim::InterimViewWindows viewWindows_;
    X11WindowServer windowServer_;
    X11Application application_;
    interim::InterimStatusBar statusBar_;
    interim::InterimAlerts alerts_;
    interim::InterimAccessibility accessibility_;
    X11LoginItems loginItems_;
    X11Updater updater_;
    X11Bundle bundle_;
    platform::Platform platform_;
};

}  // namespace qm::x11
