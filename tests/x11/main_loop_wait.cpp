#include "x11/main_loop_wait.h"

#include <glib.h>

#include <thread>

namespace qm::x11test {

using Clock = std::chrono::steady_clock;

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() > deadline) return false;
        if (!g_main_context_iteration(nullptr, FALSE)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void runFor(std::chrono::milliseconds duration) {
    const auto end = Clock::now() + duration;
    waitUntil([&] { return Clock::now() > end; }, duration + std::chrono::seconds(1));
}

}  // namespace qm::x11test
