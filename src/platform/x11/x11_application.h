#pragma once

#include <glib.h>

#include "platform/application.h"

namespace qm::x11 {

// The application object: its run loop is GLib's main loop on the default
// context. There is no Dock to stay out of, and nothing to activate. SIGTERM
// and SIGINT quit it as the quit item does, so that it ends cleanly.
class X11Application : public platform::Application {
public:
    X11Application();
    ~X11Application() override;
    X11Application(const X11Application&) = delete;
    X11Application& operator=(const X11Application&) = delete;

    void setDelegate(platform::ApplicationDelegate* delegate) override { delegate_ = delegate; }
    bool setActivationPolicy(platform::ActivationPolicy) override { return true; }
    void run() override;
    void activateIgnoringOtherApps(bool) override {}
    void terminate() override;

private:
    static gboolean onSignal(gpointer self);

    platform::ApplicationDelegate* delegate_ = nullptr;
    GMainLoop* loop_;
    bool terminated_ = false;
    guint signals_[2];
};

}  // namespace qm::x11
