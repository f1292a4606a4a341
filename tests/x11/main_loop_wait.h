#pragma once

#include <chrono>
#include <functional>

// Waiting on GLib's main loop, for tests whose answers come through it.
namespace qm::x11test {

// Runs the main loop until condition holds; false when it still does not after timeout.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = std::chrono::seconds(30));
// Runs the main loop for a while, for things that must not happen.
void runFor(std::chrono::milliseconds duration);

}  // namespace qm::x11test
