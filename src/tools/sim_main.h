#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace qm::tools {

// The streams a command reads and writes.
struct Console {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    // Whether standard input is a terminal, where a person may be left
    // waiting without knowing that a scenario is expected.
    bool inputIsTerminal = false;
};

// The quillmere-sim command line: run and demo. Returns the exit status.
int simMain(const std::vector<std::string>& args, const Console& console);

}  // namespace qm::tools
