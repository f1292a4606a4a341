#include <iostream>

#include "tools/sim_main.h"

int main(int argc, char** argv) {
    return qm::tools::simMain({argv + 1, argv + argc}, std::cin, std::cout, std::cerr);
}
