#pragma once

#include "platform/sim/context.h"
#include "platform/workspace.h"

namespace qm::sim {

class SimWorkspace : public platform::Workspace, public platform::ProcessInfo {
public:
    explicit SimWorkspace(const Context& context) : context_(context) {}

    std::optional<platform::RunningApplication> frontmostApplication() const override { return frontmost_; }
    int32_t processIdentifier() const override { return context_.ownPID; }

    void setFrontmost(std::optional<platform::RunningApplication> app) { frontmost_ = std::move(app); }

private:
    const Context& context_;
    std::optional<platform::RunningApplication> frontmost_;
};

}  // namespace qm::sim
