#pragma once

#include <memory>

#include "app/app_delegate.h"
#include "platform/platform.h"

namespace qm {

// What main does, for every front end: make the application an agent without
// a Dock icon, install the one delegate and run. It keeps the delegate alive.
class Main {
public:
    explicit Main(const platform::Platform& platform);
    // Returns only when the run loop does.
    void run();
    AppDelegate& delegate() { return *delegate_; }

private:
    platform::Application& app_;
    std::unique_ptr<AppDelegate> delegate_;
};

}  // namespace qm
