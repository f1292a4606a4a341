#pragma once

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
};

}  // namespace qm::sim
