#pragma once

#include "platform/workspace.h"

namespace qm::macos {

class MacWorkspace : public platform::Workspace, public platform::ProcessInfo {
public:
    std::optional<platform::RunningApplication> frontmostApplication() const override;
    bool openURL(const std::string& url) override;
    std::optional<std::string> applicationName(const std::string& bundleIdentifier) const override;
    int32_t processIdentifier() const override;
};

}  // namespace qm::macos
