#pragma once

#include "platform/accessibility.h"
#include "platform/atspi/atspi_budget.h"

namespace qm::atspi {

// Accessibility on an X11 desktop, through AT-SPI. There is no permission to
// grant: the process is trusted, and what gates link detection is whether the
// desktop's accessibility support is on, which this can switch on. Every
// question is bounded by its budget, and without an accessibility bus the
// system-wide element is absent, so no question is asked at all.
class AtspiAccessibility : public platform::Accessibility {
public:
    explicit AtspiAccessibility(AtspiBudget::Clock clock = std::chrono::steady_clock::now);

    std::unique_ptr<platform::AXElement> createSystemWide() override;
    bool isProcessTrusted(bool) override { return true; }
    platform::AccessGate accessGate() const override { return platform::AccessGate::desktopSupport; }
    bool enableDesktopSupport() override;
    bool desktopSupportIsOn() const override { return supportOn_; }

private:
    AtspiBudget::Clock clock_;
    bool connected_;
    bool supportOn_ = false;
};

}  // namespace qm::atspi
