#include "platform/linux/glib_application.h"

#include <csignal>

namespace qm::desktop {

GLibApplication::GLibApplication()
    : loop_(g_main_loop_new(nullptr, FALSE)),
      endSignals_({SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2}, [this](int) { terminate(); }) {}

GLibApplication::~GLibApplication() {
    g_main_loop_unref(loop_);
}

void GLibApplication::run() {
    if (delegate_) delegate_->applicationDidFinishLaunching();
    // A quit during the launch must not be lost.
    if (!terminated_) g_main_loop_run(loop_);
}

void GLibApplication::reopen() {
    if (delegate_) delegate_->applicationReopened();
}

void GLibApplication::terminate() {
    terminated_ = true;
    g_main_loop_quit(loop_);
}

}  // namespace qm::desktop
