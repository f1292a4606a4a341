#pragma once

#include "platform/platform.h"
#include "platform/sim/context.h"
#include "platform/sim/sim_accessibility.h"
#include "platform/sim/sim_application.h"
#include "platform/sim/sim_display_links.h"
#include "platform/sim/sim_events.h"
#include "platform/sim/sim_notifications.h"
#include "platform/sim/sim_run_loop.h"
#include "platform/sim/sim_screens.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/sim_status_bar.h"
#include "platform/sim/sim_user_defaults.h"
#include "platform/sim/sim_window_server.h"
#include "platform/sim/sim_workspace.h"

namespace qm::sim {

// A whole simulated desktop. Every test builds its own, so nothing carries
// over between cases; the program must be destroyed before its world.
class World {
public:
    World();
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    const platform::Platform& platform() const { return platform_; }

    void setObserver(Observer* observer) { context_.observer = observer ? observer : &context_.silent; }
    // Granting or withdrawing the permission tells every application. Taps do
    // not survive a withdrawal: they are switched off and never come on again.
    void setTrusted(bool trusted);
    bool trusted() const { return context_.trusted; }
    // The machine wakes from sleep: every tap has been switched off silently.
    void wake();
    int32_t ownPID() const { return context_.ownPID; }
    const Ledger& ledger() const { return context_.ledger; }
    std::size_t tapsDestroyedInOwnCallback() const { return context_.tapsDestroyedInOwnCallback; }

    SimRunLoop& runLoop() { return runLoop_; }
    SimScreens& screens() { return screens_; }
    SimWindowServer& windows() { return windows_; }
    SimEvents& events() { return events_; }
    SimAccessibility& accessibility() { return accessibility_; }
    SimWorkspace& workspace() { return workspace_; }
    SimUserDefaults& defaults() { return defaults_; }
    SimApplication& application() { return application_; }
    SimStatusBar& statusBar() { return statusBar_; }
    SimLoginItems& loginItems() { return loginItems_; }
    SimBundle& bundle() { return bundle_; }
    SimNotifications& notifications() { return notifications_; }
    SimDisplayLinks& displayLinks() { return displayLinks_; }

private:
    Context context_;
    SimRunLoop runLoop_;
    SimScreens screens_;
    SimWindowServer windows_;
    SimEvents events_;
    SimAccessibility accessibility_;
    SimWorkspace workspace_;
    SimUserDefaults defaults_;
    SimApplication application_;
    SimStatusBar statusBar_;
    SimLoginItems loginItems_;
    SimUpdater updater_;
    SimSystemLog systemLog_;
    SimBundle bundle_;
    SimNotifications notifications_;
    SimDisplayLinks displayLinks_;
    platform::Platform platform_;
};

}  // namespace qm::sim
