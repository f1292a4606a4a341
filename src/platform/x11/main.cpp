#include <gtk/gtk.h>

#include <cstdlib>
#include <iostream>
#include <string_view>

#include "app/main_sequence.h"
#include "platform/linux/command_line.h"
#include "platform/x11/x11_platform.h"

namespace {

// Under Wayland the X server (XWayland) sees only the input of X clients.
// Either variable tells: a session started by hand may lack the type.
bool waylandSession() {
    const char* session = std::getenv("XDG_SESSION_TYPE");
    const char* display = std::getenv("WAYLAND_DISPLAY");
    return (session && std::string_view(session) == "wayland") || (display && *display);
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto status = qm::desktop::readCommandLine(argc, argv, gtk_get_option_group(FALSE))) return *status;
    if (waylandSession()) {
        std::cerr << "Quillmere: this is a Wayland session; Quillmere needs an X11 session\n";
        return 1;
    }
    // The log is standard error, GLib's debugging messages included.
    g_log_writer_default_set_use_stderr(TRUE);
    // GTK first: the tray item, the alerts and the views are its, on the same main context.
    gdk_set_allowed_backends("x11");
    if (!gtk_init_check(&argc, &argv)) {
        std::cerr << "Quillmere: cannot open the X display; is DISPLAY set to an X11 desktop?\n";
        return 1;
    }
    try {
        qm::x11::X11Platform services;
        qm::Main program(services.platform());
        program.run();
    } catch (const qm::x11::SetupError& error) {
        std::cerr << "Quillmere: " << error.what() << '\n';
        return 1;
    } catch (const qm::desktop::AlreadyRunning& handedOver) {
        std::cerr << handedOver.what() << '\n';
    }
    return 0;
}
