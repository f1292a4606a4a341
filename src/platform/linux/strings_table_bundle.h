#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "platform/services.h"

namespace qm::desktop {

// The strings table shipped with the executable. One that is missing or
// partly unreadable is told on the log once; every key it lacks shows as its
// own value.
class StringsTableBundle : public platform::Bundle {
public:
    StringsTableBundle(const std::filesystem::path& table, platform::SystemLog& log);
    std::string localizedString(std::string_view key, std::string_view value) const override;

    // Localizable.strings in the program's data directory.
    static std::filesystem::path shippedTable();

private:
    std::map<std::string, std::string, std::less<>> entries_;
};

}  // namespace qm::desktop
