#pragma once

#include "platform/alerts.h"
#include "platform/application.h"

@class QMApplicationDelegateAdapter;

namespace qm::macos {

// NSApplication: its delegate, activation, run loop and modal alerts.
class MacApplication : public platform::Application, public platform::Alerts {
public:
    MacApplication();

    void setDelegate(platform::ApplicationDelegate* delegate) override;
    bool setActivationPolicy(platform::ActivationPolicy policy) override;
    void run() override;
    void activateIgnoringOtherApps(bool ignoring) override;
    void terminate() override;
    platform::ModalResponse runModal(const platform::AlertContent& content) override;

private:
    // NSApplication holds its delegate weakly.
    QMApplicationDelegateAdapter* adapter_;
};

}  // namespace qm::macos
