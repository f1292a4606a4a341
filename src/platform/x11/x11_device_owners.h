#pragma once

#include <string>

#include "platform/services.h"
#include "platform/x11/x11_connection.h"

namespace qm::x11 {

// The X server keeps a master device until a client removes it, also when the
// program that made it was killed or crashed; after a few dozen such ends it
// makes no new ones, for any program. So the program's devices are named after
// their owner, "Quillmere <pid> on <host>", and each start removes those
// whose owner has ended.

// The name of this process's devices, to which the server adds " pointer",
// " keyboard" and the names of their XTEST devices.
std::string ownDeviceName();

// Removes the master devices of every Quillmere on this host that no longer
// runs, each told on the log with its owner; those of a process that still
// runs, or that runs elsewhere, are kept.
void removeLeftoverDevices(Connection& connection, platform::SystemLog& log);

}  // namespace qm::x11
