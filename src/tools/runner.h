#pragma once

#include <memory>
#include <ostream>

#include "app/main_sequence.h"
#include "platform/sim/world.h"
#include "platform/strings/strings_table.h"
#include "tools/scenario.h"
#include "tools/trace.h"

namespace qm::tools {

// Runs the program in a fresh simulated desktop, driven by a scenario, and
// writes the trace of what happens.
class Runner {
public:
    Runner(std::ostream& out, strings::StringsTable strings);
    ~Runner();

    // Runs the steps in order. Steps may be run in several portions, each
    // carrying on from the time the last one reached. A program that quits
    // ends there, and a later launch starts it again.
    void run(const Scenario& scenario);
    // Ends the program, as the system does when it quits; the world stays.
    void shutDown();

    sim::World& world() { return world_; }
    Trace& trace() { return trace_; }
    // The running program, once launched.
    Main* program() { return program_.get(); }

private:
    void step();
    void apply(const Action& action);
    void launch();
    // Presses a button of the onboarding window on screen, if there is one.
    void pressOnboarding(const std::string& button);
    // Works a control of the settings window on screen, if there is one.
    void useSettings(const action::Settings& control);
    // The settings window or the onboarding window, when it is on screen.
    sim::SimWindow* hostedWindow(bool settings);
    // The nested loop of a modal alert: the steps run until one answers it.
    platform::ModalResponse runModal();

    sim::World world_;
    Trace trace_;
    const Scenario* scenario_ = nullptr;
    std::size_t next_ = 0;
    std::unique_ptr<Main> program_;
};

}  // namespace qm::tools
