#include "platform/linux/desktop_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace qm::desktop {

namespace fs = std::filesystem;

namespace {

// The home folder: $HOME, or failing that the one the password database
// gives this user. XDG paths must be absolute; a relative one counts as unset.
fs::path homeFolder() {
    const char* home = std::getenv("HOME");
    if (home && fs::path(home).is_absolute()) return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        fs::path(found->pw_dir).is_absolute())
        return found->pw_dir;
    return {};
}

}  // namespace

fs::path configHome() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && fs::path(config).is_absolute()) return config;
    const fs::path home = homeFolder();
    return home.empty() ? fs::path() : home / ".config";
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
