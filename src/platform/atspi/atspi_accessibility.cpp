#include "platform/atspi/atspi_accessibility.h"

#include <atspi/atspi.h>

#include "platform/atspi/atspi_desktop_support.h"
#include "platform/atspi/atspi_element.h"

namespace qm::atspi {

namespace {

// libatspi ends the process on its first call when it has no bus, so it is
// only ever called once the bus is known to be there. Its connection is the
// process's for good: atspi_exit would leave sources on the main loop that
// still use it.
bool connect() {
    atspi_init();
    return atspi_get_a11y_bus() != nullptr;
}

}  // namespace

AtspiAccessibility::AtspiAccessibility(AtspiBudget::Clock clock) : clock_(std::move(clock)), connected_(connect()) {}

std::unique_ptr<platform::AXElement> AtspiAccessibility::createSystemWide() {
    if (!connected_) return nullptr;
    return std::make_unique<AtspiSystemWide>(clock_);
}

bool AtspiAccessibility::enableDesktopSupport() {
    const bool enabled = enableDesktopAccessibility();
    supportOn_ = supportOn_ || enabled;
    return enabled;
}

}  // namespace qm::atspi
