#include "platform/linux/glib_application.h"

#include <glib-unix.h>

#include <csignal>

namespace qm::desktop {

GLibApplication::GLibApplication() : loop_(g_main_loop_new(nullptr, FALSE)) {
    signals_[0] = g_unix_signal_add(SIGTERM, &GLibApplication::onSignal, this);
    signals_[1] = g_unix_signal_add(SIGINT, &GLibApplication::onSignal, this);
}

GLibApplication::~GLibApplication() {
    for (guint source : signals_) g_source_remove(source);
    g_main_loop_unref(loop_);
}

void GLibApplication::run() {
    if (delegate_) delegate_->applicationDidFinishLaunching();
    // A quit during the launch must not be lost.
    if (!terminated_) g_main_loop_run(loop_);
}

void GLibApplication::terminate() {
    terminated_ = true;
    g_main_loop_quit(loop_);
}

gboolean GLibApplication::onSignal(gpointer self) {
    static_cast<GLibApplication*>(self)->terminate();
    return G_SOURCE_CONTINUE;
}

}  // namespace qm::desktop
