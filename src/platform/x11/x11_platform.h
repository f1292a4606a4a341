#pragma once

#include "platform/platform.h"
#include "platform/x11/atspi_accessibility.h"
#include "platform/x11/glib_main_queue.h"
#include "platform/x11/glib_run_loop.h"
#include "platform/x11/gtk_alerts.h"
#include "platform/x11/gtk_status_bar.h"
#include "platform/x11/gtk_view_window.h"
#include "platform/x11/logind_notifications.h"
#include "platform/x11/x11_application.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_connection_source.h"
#include "platform/x11/x11_display_links.h"
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

// The system's services on an X11 desktop, in one place for the program.
// Throws SetupError when the desktop cannot carry the program. GTK must be
// initialised first: the tray item, the alerts and the views are its.
class X11Platform {
public:
    X11Platform();
    X11Platform(const X11Platform&) = delete;
    X11Platform& operator=(const X11Platform&) = delete;

    const platform::Platform& platform() const { return platform_; }

private:
    void followTriggerSetting();

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
    GtkViewWindows viewWindows_;
    X11WindowServer windowServer_;
    X11Application application_;
    GtkStatusBar statusBar_;
    GtkAlerts alerts_;
    AtspiAccessibility accessibility_;
    X11LoginItems loginItems_;
    X11Updater updater_;
    X11Bundle bundle_;
    GLibMainQueue mainQueue_;
    LogindNotifications notifications_;
    X11DisplayLinks displayLinks_;
    platform::Platform platform_;
};

}  // namespace qm::x11
