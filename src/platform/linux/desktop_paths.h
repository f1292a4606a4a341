#pragma once

#include <filesystem>

namespace qm::desktop {

// The path of the running executable.
std::filesystem::path executablePath();

// Where the program's data is: QUILLMERE_DATA_FROM_EXECUTABLE from the
// executable's directory when installed (../share/quillmere), or else the
// executable's directory itself, as in the build folder.
std::filesystem::path dataDirectory();

// Where the user's settings go: $XDG_CONFIG_HOME, or ~/.config without it.
std::filesystem::path configHome();

}  // namespace qm::desktop
