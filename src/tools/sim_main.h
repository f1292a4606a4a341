#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace qm::tools {

// The quillmere-sim command line: run and demo. Returns the exit status.
int simMain(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace qm::tools
