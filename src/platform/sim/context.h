#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/sim/ledger.h"
#include "platform/sim/observer.h"

namespace qm::sim {

// What the parts of the simulated desktop share.
struct Context {
    Ledger ledger;
    Observer silent;
    Observer* observer = &silent;
    // Whether the program holds the accessibility permission.
    bool trusted = false;
    int32_t ownPID = 1000;
    // Taps destroyed while their own callback ran: the system would still be
    // inside the port's callout. Always a fault of the program.
    std::size_t tapsDestroyedInOwnCallback = 0;
};

}  // namespace qm::sim
