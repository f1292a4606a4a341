#include "platform/sim/world.h"

namespace qm::sim {

World::World()
    : runLoop_(context_.ledger),
      windows_(context_, screens_),
      events_(context_, runLoop_, windows_),
      accessibility_(context_),
      workspace_(context_),
      defaults_(context_),
      platform_{events_, runLoop_, windows_, accessibility_, workspace_, workspace_, defaults_, screens_, windows_} {}

}  // namespace qm::sim
