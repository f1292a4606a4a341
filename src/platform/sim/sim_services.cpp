#include "platform/sim/sim_services.h"

namespace qm::sim {

namespace {

class SimUpdaterController : public platform::UpdaterController {
public:
    explicit SimUpdaterController(Context& context) : context_(context) {}
    void performAction(std::string_view selector, platform::MenuItem&) override {
        if (selector == "checkForUpdates:") context_.observer->updateChecked();
    }

private:
    Context& context_;
};

}  // namespace

bool SimLoginItems::call(bool registering, std::string& error) {
    const bool ok = !failure_;
    if (ok)
        status_ = registering ? platform::LoginItemStatus::enabled : platform::LoginItemStatus::notRegistered;
    else
        error = *std::exchange(failure_, std::nullopt);
    context_.observer->loginItemCalled(registering, ok);
    return ok;
}

std::unique_ptr<platform::UpdaterController> SimUpdater::makeStandardController() {
    return std::make_unique<SimUpdaterController>(context_);
}

std::string SimBundle::localizedString(std::string_view key, std::string_view value) const {
    const auto it = table_.entries.find(key);
    return it != table_.entries.end() ? it->second : std::string(value);
}

}  // namespace qm::sim
