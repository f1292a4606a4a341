#pragma once

#include <functional>

#include "platform/alerts.h"
#include "platform/run_loop.h"

namespace qm::gtk {

// Alerts as modal GTK message dialogs. While one runs, the run loop is in its
// modal mode, so that the program's default-mode timers wait for the answer.
class GtkAlerts : public platform::Alerts {
public:
    explicit GtkAlerts(std::function<void(platform::RunLoopMode)> switchMode) : switchMode_(std::move(switchMode)) {}

    // The first button answers alertFirstButtonReturn, the next one more, and
    // so on; closing the dialog another way answers modalResponseAbort.
    platform::ModalResponse runModal(const platform::AlertContent& alert) override;

private:
    std::function<void(platform::RunLoopMode)> switchMode_;
};

}  // namespace qm::gtk
