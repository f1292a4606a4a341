#pragma once

#include <optional>
#include <string>

namespace qm::tools {

// A whole file; nothing when it cannot be read, with the system's reason
// ("No such file or directory", "Is a directory", ...).
std::optional<std::string> readFile(const std::string& path, std::string& reason);

}  // namespace qm::tools
