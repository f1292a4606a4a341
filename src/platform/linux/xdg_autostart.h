#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/services.h"

namespace qm::desktop {

// Launch at login as an XDG autostart entry that starts this executable. The
// desktop's own settings may switch the entry off (Hidden, or GNOME's
// enabled flag) without removing it; it then counts as not registered.
class XdgAutostart : public platform::LoginItemService {
public:
    XdgAutostart(std::filesystem::path entry, std::filesystem::path executable)
        : entry_(std::move(entry)), executable_(std::move(executable)) {}

    platform::LoginItemStatus status() const override;
    bool registerApp(std::string& error) override;
    bool unregisterApp(std::string& error) override;

    // $XDG_CONFIG_HOME/autostart/quillmere.desktop, or under ~/.config without
    // it; empty, and never registered, without a home folder.
    static std::filesystem::path standardEntry();
    // The Exec value that runs path, quoted and escaped as desktop entries want.
    static std::optional<std::string> execValue(const std::string& path);

private:
    std::filesystem::path entry_;
    std::filesystem::path executable_;
};

}  // namespace qm::desktop
