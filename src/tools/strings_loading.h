#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "platform/strings/strings_table.h"

namespace qm::tools {

// The strings table the simulator's bundle holds: the program's own (an empty
// choice), none ("none"), or the one at a path. Faults in the table are told
// on err, and the entries around them kept; a path that cannot be read is
// told on err and gives nothing.
std::optional<strings::StringsTable> loadStrings(const std::string& choice, std::ostream& err);

// The English table the program ships, built in.
std::string_view shippedStrings();

}  // namespace qm::tools
