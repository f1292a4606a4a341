#include <unistd.h>

#include <iostream>

#include "tools/sim_main.h"

int main(int argc, char** argv) {
    // Unsynchronised, the standard streams report a failed read (standard
    // input a directory, say) as a failure rather than as the end of input.
    std::ios::sync_with_stdio(false);
    return qm::tools::simMain({argv + 1, argv + argc}, {std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) == 1});
}
