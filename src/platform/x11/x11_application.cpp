#include "platform/x11/x11_application.h"

#include <glib-unix.h>

#include <csignal>

namespace qm::x11 {

X11Application::X11Application() : loop_(g_main_loop_new(nullptr, FALSE)) {
    signals_[0] = g_unix_signal_add(SIGTERM, &X11Application::onSignal, this);
    signals_[1] = g_unix_signal_add(SIGINT, &X11Application::onSignal, this);
}

X11Application::~X11Application() {
    for (guint source : signals_) g_source_remove(source);
    g_main_loop_unref(loop_);
}

void X11Application::run() {
    if (delegate_) delegate_->applicationDidFinishLaunching();
    // A quit during the launch must not be lost.
    if (!terminated_) g_main_loop_run(loop_);
}

void X11Application::terminate() {
    terminated_ = true;
    g_main_loop_quit(loop_);
}

gboolean X11Application::onSignal(gpointer self) {
    static_cast<X11Application*>(self)->terminate();
    return G_SOURCE_CONTINUE;
}

}  // namespace qm::x11
