#pragma once

#include <cstdio>
#include <cstdlib>

namespace qm::fuzz {

// A broken promise must stop the run where libFuzzer and the sanitizers can see
// it, in the fuzz targets and in the corpus replay alike; hence abort, not throw.
inline void check(bool holds, const char* promise) {
    if (holds) return;
    std::fprintf(stderr, "broken: %s\n", promise);
    std::abort();
}

}  // namespace qm::fuzz
