#pragma once

#include <functional>

#include "platform/alerts.h"
#include "platform/application.h"
#include "platform/sim/context.h"
#include "platform/sim/sim_run_loop.h"
#include "platform/sim/sim_workspace.h"

namespace qm::sim {

// The application object and its modal alerts. A modal alert runs a nested
// loop, as the real one does: whoever drives the world supplies it.
class SimApplication : public platform::Application, public platform::Alerts {
public:
    SimApplication(Context& context, SimRunLoop& runLoop, SimWorkspace& workspace)
        : context_(context), runLoop_(runLoop), workspace_(workspace) {}

    void setDelegate(platform::ApplicationDelegate* delegate) override { delegate_ = delegate; }
    bool setActivationPolicy(platform::ActivationPolicy policy) override;
    void run() override;
    // The user opens the running program again.
    void reopen();
    void activateIgnoringOtherApps(bool ignoring) override;
    void terminate() override;
    platform::ModalResponse runModal(const platform::AlertContent& alert) override;

    // Runs the world while an alert is up and answers with the button pressed.
    void setModalLoop(std::function<platform::ModalResponse()> loop) { modalLoop_ = std::move(loop); }
    std::optional<platform::ActivationPolicy> activationPolicy() const { return policy_; }
    bool isAlertUp() const { return alertUp_; }
    bool terminated() const { return terminated_; }

private:
    Context& context_;
    SimRunLoop& runLoop_;
    SimWorkspace& workspace_;
    platform::ApplicationDelegate* delegate_ = nullptr;
    std::optional<platform::ActivationPolicy> policy_;
    std::function<platform::ModalResponse()> modalLoop_;
    bool alertUp_ = false;
    bool terminated_ = false;
};

}  // namespace qm::sim
