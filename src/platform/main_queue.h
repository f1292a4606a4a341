#pragma once

#include <functional>

// The main thread's dispatch queue.
namespace qm::platform {

class MainQueue {
public:
    virtual ~MainQueue() = default;
    // Runs block on a later turn of the main run loop, once the callout that
    // is running now (a tap's callback, a timer, an action) has returned.
    virtual void async(std::function<void()> block) = 0;
};

}  // namespace qm::platform
