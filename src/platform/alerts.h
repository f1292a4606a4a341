#pragma once

#include <string>
#include <vector>

// Modal alerts.
namespace qm::platform {

enum class AlertStyle { warning = 0, informational = 1, critical = 2 };

using ModalResponse = int;
inline constexpr ModalResponse alertFirstButtonReturn = 1000;
inline constexpr ModalResponse alertSecondButtonReturn = 1001;
inline constexpr ModalResponse modalResponseAbort = -1001;

struct AlertContent {
    std::string messageText;
    std::string informativeText;
    AlertStyle style = AlertStyle::warning;
    std::vector<std::string> buttons;  // the first is the default
};

class Alerts {
public:
    virtual ~Alerts() = default;
    // Shows the alert and runs the run loop in its modal mode until it is answered.
    virtual ModalResponse runModal(const AlertContent& alert) = 0;
};

}  // namespace qm::platform
