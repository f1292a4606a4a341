#include "tools/files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace qm::tools {

std::optional<std::string> readFile(const std::string& path, std::string& reason) {
    // Opening a directory succeeds; only reading from it fails.
    std::error_code error;
    errno = std::filesystem::is_directory(path, error) ? EISDIR : 0;
    std::ifstream file;
    if (errno == 0) file.open(path, std::ios::binary);
    std::string text;
    char buffer[1 << 16];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) text.append(buffer, file.gcount());
    if (file.is_open() && !file.bad()) return text;
    reason = errno != 0 ? std::strerror(errno) : "it cannot be read";
    return std::nullopt;
}

}  // namespace qm::tools
