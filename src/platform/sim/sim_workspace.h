#pragma once

#include <map>
#include <string>

#include "platform/sim/context.h"
#include "platform/workspace.h"

namespace qm::sim {

class SimWorkspace : public platform::Workspace, public platform::ProcessInfo {
public:
    explicit SimWorkspace(Context& context) : context_(context) {}

    std::optional<platform::RunningApplication> frontmostApplication() const override { return frontmost_; }
    int32_t processIdentifier() const override { return context_.ownPID; }

    bool openURL(const std::string& url) override;
    std::optional<std::string> applicationName(const std::string& bundleIdentifier) const override;

    // An application that has been frontmost with an identifier and a name is
    // known to the system by that name from then on.
    void setFrontmost(std::optional<platform::RunningApplication> app);
    // The program itself comes to the front, as when it activates.
    void activateOwnApplication() {
        setFrontmost(platform::RunningApplication{ownBundleID, "Quillmere", context_.ownPID});
    }

    bool isOwnApplicationActive() const { return frontmost_ && frontmost_->processIdentifier == context_.ownPID; }

    static constexpr const char* ownBundleID = "com.quillmere.Quillmere";

private:
    Context& context_;
    std::optional<platform::RunningApplication> frontmost_;
    std::map<std::string, std::string, std::less<>> names_;
};

}  // namespace qm::sim
