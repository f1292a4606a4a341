#include "platform/linux/xdg_autostart.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "platform/linux/desktop_paths.h"

namespace qm::desktop {

namespace fs = std::filesystem;
using platform::LoginItemStatus;

fs::path XdgAutostart::standardEntry() {
    const fs::path config = configHome();
    return config.empty() ? fs::path() : config / "autostart" / "quillmere.desktop";
}

std::optional<std::string> XdgAutostart::execValue(const std::string& path) {
    std::string quoted = "\"";
    for (const char c : path) {
        if (c == '\n' || c == '\r') return std::nullopt;
        // Inside quotes these four take a backslash; the value's own escaping
        // then doubles every backslash, and % is the field codes' sign.
        if (c == '"' || c == '`' || c == '$') quoted += "\\\\";
        if (c == '\\') quoted += "\\\\\\";
        quoted += c == '%' ? std::string("%%") : std::string(1, c);
    }
    return quoted + "\"";
}

LoginItemStatus XdgAutostart::status() const {
    std::ifstream in(entry_);
    if (!in) return LoginItemStatus::notRegistered;
    for (std::string line; std::getline(in, line);)
        if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false") return LoginItemStatus::notRegistered;
    return LoginItemStatus::enabled;
}

bool XdgAutostart::registerApp(std::string& error) {
    if (entry_.empty()) {
        error = "there is no home folder to keep the autostart entry in";
        return false;
    }
    const auto exec = execValue(executable_.string());
    if (!exec) {
        error = "the program's path holds a line break, which an autostart entry cannot hold";
        return false;
    }
    std::error_code failure;
    fs::create_directories(entry_.parent_path(), failure);
    fs::path temporary = entry_;
    temporary += ".tmp-" + std::to_string(getpid());
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << "[Desktop Entry]\nType=Application\nName=Quillmere\n"
            << "Comment=Autoscrolling with the middle mouse button\nExec=" << *exec << "\nTerminal=false\n";
        out.flush();
        if (!out) failure = std::error_code(errno ? errno : EIO, std::generic_category());
    }
    if (!failure) fs::rename(temporary, entry_, failure);
    if (failure) {
        error = "cannot write " + entry_.string() + ": " + failure.message();
        fs::remove(temporary, failure);
        return false;
    }
    return true;
}

bool XdgAutostart::unregisterApp(std::string& error) {
    std::error_code failure;
    fs::remove(entry_, failure);
    if (!failure) return true;
    error = "cannot remove " + entry_.string() + ": " + failure.message();
    return false;
}

}  // namespace qm::desktop
