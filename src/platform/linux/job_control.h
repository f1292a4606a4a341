#pragma once

#include <functional>

#include "platform/linux/signal_watch.h"

namespace qm::desktop {

// Ctrl-Z in the program's terminal (SIGTSTP). A stopped process still holds
// whatever it holds on the display, and a grab that waits for its verdict
// would freeze everyone's pointer until it continues: so the display is let
// go of first, then the process stops, and once continued it takes back what
// it needs.
class JobControl {
public:
    JobControl(std::function<void()> beforeStop, std::function<void()> afterContinue);

private:
    void stop();

    std::function<void()> beforeStop_;
    std::function<void()> afterContinue_;
    SignalWatch watch_;
};

}  // namespace qm::desktop
