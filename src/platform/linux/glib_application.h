#pragma once

#include <glib.h>

#include "platform/application.h"

namespace qm::desktop {

// The application object: its run loop is GLib's main loop on the default
// context. There is no Dock to stay out of, and nothing to activate. SIGTERM
// and SIGINT quit it as the quit item does, so that it ends cleanly.
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

private:
    static gboolean onSignal(gpointer self);

    platform::ApplicationDelegate* delegate_ = nullptr;
    GMainLoop* loop_;
    bool terminated_ = false;
    guint signals_[2];
};

}  // namespace qm::desktop
