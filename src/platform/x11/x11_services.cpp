#include "platform/x11/x11_services.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "platform/strings/strings_table.h"

namespace qm::x11 {

namespace fs = std::filesystem;

void X11SystemLog::log(std::string_view line) {
    std::cerr << line << std::endl;
}

X11Bundle::X11Bundle(const fs::path& table, platform::SystemLog& log) {
    std::ifstream in(table, std::ios::binary);
    std::ostringstream text;
    if (!in || !(text << in.rdbuf())) {
        log.log("Quillmere: cannot read the strings table " + table.string() + "; every text shows its key");
        return;
    }
    auto parsed = strings::parseStringsTable(text.str());
    for (const auto& problem : parsed.problems) log.log("Quillmere: strings table " + table.string() + ": " + problem);
    entries_ = std::move(parsed.entries);
}

std::string X11Bundle::localizedString(std::string_view key, std::string_view value) const {
    const auto found = entries_.find(key);
    return std::string(found == entries_.end() ? value : std::string_view(found->second));
}

fs::path X11Bundle::shippedTable() {
    return executablePath().parent_path() / "Localizable.strings";
}

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

}  // namespace qm::x11
