#pragma once

#include <memory>
#include <ostream>

#include "platform/sim/world.h"
#include "tools/program.h"
#include "tools/scenario.h"
#include "tools/trace.h"

namespace qm::tools {

// Runs the program in a fresh simulated desktop, driven by a scenario, and
// writes the trace of what happens.
class Runner {
public:
    explicit Runner(std::ostream& out);
    ~Runner();

    void run(const Scenario& scenario);
    // Ends the program, as the system does when it quits; the world stays.
    void shutDown();

    sim::World& world() { return world_; }
    Trace& trace() { return trace_; }
    Program* program() { return program_.get(); }

private:
    void apply(const Action& action);

    sim::World world_;
    Trace trace_;
    std::unique_ptr<Program> program_;
};

}  // namespace qm::tools
