#pragma once

#include <glib.h>

#include "platform/application.h"
#include "platform/linux/signal_watch.h"

namespace qm::desktop {

// The application object: its run loop is GLib's main loop on the default
// context. There is no Dock to stay out of, and nothing to activate. The
// signals that end a program (SIGTERM, SIGINT, SIGHUP when its terminal
// closes, SIGQUIT, SIGUSR1 and SIGUSR2) quit it as the quit item does, so
// that it ends cleanly.
class GLibApplication : public platform::Application {
public:
    GLibApplication();
    ~GLibApplication() override;
    GLibApplication(const GLibApplication&) = delete;
    GLibApplication& operator=(const GLibApplication&) = delete;

    void setDelegate(platform::ApplicationDelegate* delegate) override { delegate_ = delegate; }
    bool setActivationPolicy(platform::ActivationPolicy) override { return true; }
    void run() override;
    void activateIgnoringOtherApps(bool) override {}
    void terminate() override;
    // The user launched the program again; the delegate is told.
    void reopen();

private:
    platform::ApplicationDelegate* delegate_ = nullptr;
    GMainLoop* loop_;
    bool terminated_ = false;
    SignalWatch endSignals_;
};

}  // namespace qm::desktop
