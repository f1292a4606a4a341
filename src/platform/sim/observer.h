#pragma once

#include <optional>
#include <string_view>

#include "platform/alerts.h"
#include "platform/events.h"
#include "platform/value.h"

namespace qm::sim {

class SimEvent;
class SimMenu;
class SimWindow;
struct TapState;

// Told of everything that can be seen from outside the program.
class Observer {
public:
    virtual ~Observer() = default;
    virtual void tapped(const TapState& /*tap*/, const SimEvent& /*event*/, bool /*consumed*/) {}
    virtual void tapCreated(const TapState& /*tap*/) {}
    virtual void tapRemoved(const TapState& /*tap*/) {}
    virtual void postedToHID(const SimEvent& /*event*/) {}
    virtual void postedToPid(const SimEvent& /*event*/, int32_t /*pid*/) {}
    // An event reached an application. For a button event, pid is the process
    // whose window was under it (none: no window there); other events carry none.
    virtual void delivered(const SimEvent& /*event*/, std::optional<int32_t> /*pid*/) {}
    virtual void windowShown(const SimWindow& /*window*/) {}
    virtual void windowHidden(const SimWindow& /*window*/) {}
    virtual void windowContentChanged(const SimWindow& /*window*/) {}
    virtual void defaultsWritten(std::string_view /*key*/, const platform::Value& /*value*/) {}
    virtual void menuOpened(const SimMenu& /*menu*/) {}
    virtual void alertShown(const platform::AlertContent& /*alert*/) {}
    virtual void urlOpened(std::string_view /*url*/) {}
    virtual void loginItemCalled(bool /*registering*/, bool /*ok*/) {}
    virtual void updateChecked() {}
    virtual void logged(std::string_view /*line*/) {}
    virtual void quitRequested() {}
    virtual void trustPrompted() {}
    // The program set that application's manual-accessibility attribute.
    virtual void manualAccessibilitySet(int32_t /*pid*/) {}
    virtual void displayLinkStarted() {}
    virtual void displayLinkStopped() {}
};

}  // namespace qm::sim
