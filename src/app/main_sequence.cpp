#include "app/main_sequence.h"

namespace qm {

Main::Main(const platform::Platform& platform)
    : app_(platform.application), delegate_(std::make_unique<AppDelegate>(platform)) {
    app_.setDelegate(delegate_.get());
    app_.setActivationPolicy(platform::ActivationPolicy::accessory);
}

void Main::run() {
    app_.run();
}

}  // namespace qm
