#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/services.h"

namespace qm::x11 {

// The log goes to standard error, a line at a time.
class X11SystemLog : public platform::SystemLog {
public:
    void log(std::string_view line) override;
};

// The strings table shipped beside the executable. One that is missing or
// partly unreadable is told on the log once; every key it lacks shows as its
// own value.
class X11Bundle : public platform::Bundle {
public:
    X11Bundle(const std::filesystem::path& table, platform::SystemLog& log);
    std::string localizedString(std::string_view key, std::string_view value) const override;

    // Localizable.strings in the executable's directory.
    static std::filesystem::path shippedTable();

private:
    std::map<std::string, std::string, std::less<>> entries_;
};

// There is no updater on Linux: the distribution's packages update the program.
class X11Updater : public platform::Updater {
public:
    std::unique_ptr<platform::UpdaterController> makeStandardController() override { return nullptr; }
    bool isOffered() const override { return false; }
};

// The path of the running executable.
std::filesystem::path executablePath();

// Where the user's settings go: $XDG_CONFIG_HOME, or ~/.config without it.
std::filesystem::path configHome();

}  // namespace qm::x11
