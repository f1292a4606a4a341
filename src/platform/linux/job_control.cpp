#include "platform/linux/job_control.h"

#include <csignal>

namespace qm::desktop {

JobControl::JobControl(std::function<void()> beforeStop, std::function<void()> afterContinue)
    : beforeStop_(std::move(beforeStop)),
      afterContinue_(std::move(afterContinue)),
      watch_({SIGTSTP}, [this](int) { stop(); }) {}

void JobControl::stop() {
    beforeStop_();
    // SIGSTOP, not SIGTSTP again: the system throws SIGTSTP away in a
    // process group that no shell controls, and the program would not stop.
    raise(SIGSTOP);
    afterContinue_();
}

}  // namespace qm::desktop
