#include "platform/sim/world.h"

namespace qm::sim {

World::World()
    : runLoop_(context_.ledger),
      windows_(context_, screens_),
      events_(context_, runLoop_, windows_, workspace_),
      accessibility_(context_, runLoop_),
      workspace_(context_),
      defaults_(context_),
      application_(context_, runLoop_, workspace_),
      statusBar_(context_),
      loginItems_(context_),
      updater_(context_),
      systemLog_(context_),
      notifications_(runLoop_),
      displayLinks_(context_, runLoop_),
      platform_{.events = events_,
                .runLoop = runLoop_,
                .windowList = windows_,
                .accessibility = accessibility_,
                .workspace = workspace_,
                .process = workspace_,
                .defaults = defaults_,
                .screens = screens_,
                .windowServer = windows_,
                .application = application_,
                .statusBar = statusBar_,
                .alerts = application_,
                .loginItems = loginItems_,
                .updater = updater_,
                .systemLog = systemLog_,
                .bundle = bundle_,
                .mainQueue = runLoop_,
                .notifications = notifications_,
                .displayLinks = displayLinks_} {}

World::~World() {
    // What is still queued may hold taps, which must go while the event stream is here.
    runLoop_.discardQueued();
}

void World::setTrusted(bool trusted) {
    if (context_.trusted == trusted) return;
    context_.trusted = trusted;
    accessibility_.trustChanged();
    if (!trusted) events_.switchAllTapsOff(true);
    notifications_.post(platform::SystemNotification::accessibilityChanged);
}

void World::wake() {
    events_.switchAllTapsOff(false);
    notifications_.post(platform::SystemNotification::didWake);
}

}  // namespace qm::sim
