#include "platform/sim/sim_application.h"

namespace qm::sim {

bool SimApplication::setActivationPolicy(platform::ActivationPolicy policy) {
    policy_ = policy;
    return true;
}

void SimApplication::run() {
    // A launch after a quit is a new process.
    terminated_ = false;
    // The run loop itself is driven from outside; launching finishes at once.
    if (delegate_) delegate_->applicationDidFinishLaunching();
}

void SimApplication::reopen() {
    if (delegate_ && !terminated_) delegate_->applicationReopened();
}

void SimApplication::activateIgnoringOtherApps(bool) {
    workspace_.activateOwnApplication();
}

void SimApplication::terminate() {
    terminated_ = true;
    context_.observer->quitRequested();
}

platform::ModalResponse SimApplication::runModal(const platform::AlertContent& alert) {
    context_.observer->alertShown(alert);
    const auto previousMode = runLoop_.mode();
    runLoop_.setMode(platform::RunLoopMode::modalPanel);
    alertUp_ = true;
    auto response = platform::modalResponseAbort;
    if (modalLoop_) runLoop_.nested([&] { response = modalLoop_(); });
    alertUp_ = false;
    runLoop_.setMode(previousMode);
    return response;
}

}  // namespace qm::sim
