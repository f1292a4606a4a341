#pragma once

// The application object: its delegate, activation policy and run loop.
namespace qm::platform {

enum class ActivationPolicy { regular = 0, accessory = 1, prohibited = 2 };

class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;
    virtual void applicationDidFinishLaunching() = 0;
    // The user launched the program again while it runs.
    virtual void applicationShouldHandleReopen() {}
};

class Application {
public:
    virtual ~Application() = default;
    virtual void setDelegate(ApplicationDelegate* delegate) = 0;
    virtual bool setActivationPolicy(ActivationPolicy policy) = 0;
    // Finishes launching, then runs the main run loop.
    virtual void run() = 0;
    virtual void activateIgnoringOtherApps(bool ignoring) = 0;
    virtual void terminate() = 0;
};

}  // namespace qm::platform
