#pragma once

#include <filesystem>

namespace qm::desktop {

// The path of the running executable.
std::filesystem::path executablePath();

// Where the program's data is: QUILLMERE_DATA_FROM_EXECUTABLE from the
// executable's directory when installed (../share/quillmere), or else the
// executable's directory itself, as in the build folder.
std::filesystem::path dataDirectory();

// Where the user's settings go: $XDG_CONFIG_HOME, or ~/.config without it,
// the home taken from the password database when HOME is unset. Empty when
// there is no absolute path to give: settings are never written relative to
// wherever the program happens to run.
std::filesystem::path configHome();

}  // namespace qm::desktop
