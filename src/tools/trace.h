#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "engine/scroll_controller.h"
#include "platform/json/json_values.h"
#include "platform/sim/observer.h"
#include "platform/sim/sim_run_loop.h"

namespace qm::tools {

// Writes what can be seen of the program as JSON Lines, one record per
// outcome, each stamped with the virtual time.
class Trace : public sim::Observer, public ScrollObserver {
public:
    Trace(std::ostream& out, const sim::SimRunLoop& clock) : out_(out), clock_(clock) {}

    // Also hands every record to listener, as the demo does to tell its story.
    void setListener(std::function<void(const json::Json&)> listener) { listener_ = std::move(listener); }
    // Whether a record could not be written: nothing after it reaches the reader.
    bool failed() const { return out_.fail(); }

    void tapped(const sim::TapState& tap, const sim::SimEvent& event, bool consumed) override;
    void tapCreated(const sim::TapState& tap) override;
    void tapRemoved(const sim::TapState& tap) override;
    void postedToHID(const sim::SimEvent& event) override;
    void postedToPid(const sim::SimEvent& event, int32_t pid) override;
    void delivered(const sim::SimEvent& event, std::optional<int32_t> pid) override;
    void windowShown(const sim::SimWindow& window) override;
    void windowHidden(const sim::SimWindow& window) override;
    void windowContentChanged(const sim::SimWindow& window) override;

    void defaultsWritten(std::string_view key, const platform::Value& value) override;
    void menuOpened(const sim::SimMenu& menu) override;
    void alertShown(const platform::AlertContent& alert) override;
    void urlOpened(std::string_view url) override;
    void loginItemCalled(bool registering, bool ok) override;
    void updateChecked() override { record("updateCheck", true); }
    void logged(std::string_view line) override { record("log", line); }
    void quitRequested() override { record("quit", true); }
    void trustPrompted() override { record("axPrompt", true); }
    void manualAccessibilitySet(int32_t pid) override { record("axManual", pid); }
    void displayLinkStarted() override { record("displayLink", true); }
    void displayLinkStopped() override { record("displayLink", false); }

    void stateChanged(ScrollState state) override;
    void enabledChanged(bool enabled) override;

private:
    void record(const char* key, json::Json value);

    std::ostream& out_;
    const sim::SimRunLoop& clock_;
    std::function<void(const json::Json&)> listener_;
    int onboardingStep_ = -1;  // the step last reported; -1 while no window shows
};

// What a tap is, by what it listens to: "escape" (keys), "mouse" (the other
// buttons) or "clicks" (left and right presses, while a session is locked).
std::string_view tapName(const sim::TapState& tap);

// The keys of the records, each written beside "t", in alphabetical order.
std::vector<std::string> recordNames();
// Whether a window shows the settings, as opposed to the onboarding.
bool isSettingsWindow(const sim::SimWindow& window);

}  // namespace qm::tools
