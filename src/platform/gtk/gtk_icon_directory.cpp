#include "platform/gtk/gtk_icon_directory.h"

#include <glib.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <filesystem>

namespace qm::gtk {

namespace fs = std::filesystem;

namespace {

const std::string prefix = "tray-icons-";

// Whether the directory is one of ours whose process has ended.
bool abandoned(const fs::path& directory) {
    const std::string name = directory.filename().string();
    if (!name.starts_with(prefix)) return false;
    pid_t pid = 0;
    const char* digits = name.data() + prefix.size();
    const auto [end, error] = std::from_chars(digits, name.data() + name.size(), pid);
    if (error != std::errc() || end != name.data() + name.size() || pid <= 0 || pid == getpid()) return false;
    return kill(pid, 0) != 0 && errno == ESRCH;
}

}  // namespace

GtkIconDirectory::GtkIconDirectory() {
    const fs::path parent = fs::path(g_get_user_runtime_dir()) / "quillmere";
    std::error_code error;
    fs::create_directories(parent, error);
    fs::permissions(parent, fs::perms::owner_all, fs::perm_options::replace, error);
    for (const auto& entry : fs::directory_iterator(parent, error))
        if (abandoned(entry.path())) fs::remove_all(entry.path(), error);
    const fs::path own = parent / (prefix + std::to_string(getpid()));
    fs::remove_all(own, error);
    if (fs::create_directory(own, error)) path_ = own.string();
}

GtkIconDirectory::~GtkIconDirectory() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
}

std::string GtkIconDirectory::nextName(const std::string& suffix) {
    return "quillmere-" + std::to_string(++count_) + suffix;
}

}  // namespace qm::gtk
