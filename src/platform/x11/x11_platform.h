#pragma once

#include "platform/atspi/atspi_accessibility.h"
#include "platform/gtk/gtk_alerts.h"
#include "platform/gtk/gtk_status_bar.h"
#include "platform/gtk/gtk_view_window.h"
#include "platform/linux/glib_application.h"
#include "platform/linux/glib_main_queue.h"
#include "platform/linux/glib_run_loop.h"
#include "platform/linux/job_control.h"
#include "platform/linux/json_defaults_file.h"
#include "platform/linux/logind_notifications.h"
#include "platform/linux/no_updater.h"
#include "platform/linux/save_failure_alert.h"
#include "platform/linux/single_instance.h"
#include "platform/linux/standard_error_log.h"
#include "platform/linux/strings_table_bundle.h"
#include "platform/linux/xdg_autostart.h"
#include "platform/platform.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_connection_source.h"
#include "platform/x11/x11_display_links.h"
#include "platform/x11/x11_events.h"
#include "platform/x11/x11_grabs.h"
#include "platform/x11/x11_instance_selection.h"
#include "platform/x11/x11_posting.h"
#include "platform/x11/x11_screens.h"
#include "platform/x11/x11_second_pointer.h"
#include "platform/x11/x11_window_list.h"
#include "platform/x11/x11_window_stack.h"
#include "platform/x11/x11_windows.h"
#include "platform/x11/x11_workspace.h"

namespace qm::x11 {

// The system's services on an X11 desktop, in one place for the program.
// Throws SetupError when the desktop cannot carry the program, and
// desktop::AlreadyRunning when another instance runs in the session or on the
// display, which it has asked to show its settings. GTK must be initialised
// first: the tray item, the alerts and the views are its.
class X11Platform {
public:
    X11Platform();
    X11Platform(const X11Platform&) = delete;
    X11Platform& operator=(const X11Platform&) = delete;

    const platform::Platform& platform() const { return platform_; }

private:
    void followTriggerSetting();
    void tellSaveFailures();

    desktop::StandardErrorLog systemLog_;
    // First, so that a signal that ends the program finds it ready to end
    // cleanly from the moment it has anything on the display.
    desktop::GLibApplication application_;
    // A second launch ends here, before it takes anything.
    desktop::SingleInstance busName_;
    Connection connection_;
    InstanceSelection displayClaim_;
    desktop::GLibRunLoop runLoop_;
    X11Screens screens_;
    desktop::JsonDefaultsFile defaults_;
    SecondPointer secondPointer_;
    Posting posting_;
    Grabs grabs_;
    X11EventServices events_;
    ConnectionSource connectionSource_;
    WindowStack windowStack_;
    X11WindowList windowList_;
    X11Workspace workspace_;
    gtk::GtkViewWindows viewWindows_;
    X11WindowServer windowServer_;
    gtk::GtkStatusBar statusBar_;
    gtk::GtkAlerts alerts_;
    atspi::AtspiAccessibility accessibility_;
    desktop::XdgAutostart loginItems_;
    desktop::NoUpdater updater_;
    desktop::StringsTableBundle bundle_;
    desktop::GLibMainQueue mainQueue_;
    desktop::SaveFailureAlert saveFailureAlert_;
    desktop::AlertingLoginItems alertingLoginItems_;
    desktop::LogindNotifications notifications_;
    X11DisplayLinks displayLinks_;
    desktop::JobControl jobControl_;
    platform::Platform platform_;
};

}  // namespace qm::x11
