#pragma once

#include <iosfwd>
#include <string>

namespace qm::tools {

// Runs the built-in demo scenario, tells what happens and writes its pictures into dir.
int runDemo(const std::string& dir, std::ostream& out, std::ostream& err);

}  // namespace qm::tools
