#pragma once

#include <glib.h>

#include <optional>

namespace qm::desktop {

// Reads the program's command line, with the toolkit's own options besides,
// which it takes out of argv for the toolkit. --help says what the program
// does, where its settings and its log go and how to quit it; --version names
// the version. Either ends the program, with status 0, as does an option it
// does not know or an argument (status 2, with a message on standard error).
// Nothing to return means: go on and start.
std::optional<int> readCommandLine(int& argc, char**& argv, GOptionGroup* toolkitOptions);

}  // namespace qm::desktop
