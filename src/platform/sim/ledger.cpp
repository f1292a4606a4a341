#include "platform/sim/ledger.h"

namespace qm::sim {

const char* Ledger::name(Kind kind) {
    static constexpr std::array<const char*, kindCount> names{
        "events",  "event sources",          "taps",         "run-loop sources", "timers",
        "windows", "accessibility elements", "display links"};
    return names[kind];
}

std::string Ledger::outstanding() const {
    std::string text;
    for (int k = 0; k < kindCount; ++k) {
        const auto kind = static_cast<Kind>(k);
        if (live(kind) != 0) text += std::string(name(kind)) + ": " + std::to_string(live(kind)) + " live\n";
    }
    return text;
}

}  // namespace qm::sim
