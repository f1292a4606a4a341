#pragma once

#include <filesystem>

namespace qm::desktop {

// The path of the running executable.
std::filesystem::path executablePath();

// Where the user's settings go: $XDG_CONFIG_HOME, or ~/.config without it.
std::filesystem::path configHome();

}  // namespace qm::desktop
