#pragma once

#include <ostream>
#include <string>

#include "platform/sim/strings_table.h"

namespace qm::tools {

// The strings table the simulator's bundle holds: the program's own (an empty
// choice), none ("none"), or the one at a path. What cannot be read is told
// on err once, and every key the table then lacks shows as itself.
sim::StringsTable loadStrings(const std::string& choice, std::ostream& err);

// The English table the program ships, built in.
std::string_view shippedStrings();

}  // namespace qm::tools
