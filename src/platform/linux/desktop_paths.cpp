#include "platform/linux/desktop_paths.h"

#include <cstdlib>

namespace qm::desktop {

namespace fs = std::filesystem;

fs::path configHome() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    // XDG base directories must be absolute; a relative one counts as unset.
    return config && fs::path(config).is_absolute() ? fs::path(config) : fs::path(home ? home : "") / ".config";
}

fs::path executablePath() {
    std::error_code error;
    const fs::path path = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : path;
}

fs::path dataDirectory() {
    const fs::path executableDirectory = executablePath().parent_path();
    const fs::path installed = (executableDirectory / QUILLMERE_DATA_FROM_EXECUTABLE).lexically_normal();
    std::error_code error;
    return fs::is_directory(installed, error) ? installed : executableDirectory;
}

}  // namespace qm::desktop
