#include "platform/linux/strings_table_bundle.h"

#include <fstream>
#include <sstream>

#include "platform/linux/desktop_paths.h"
#include "platform/strings/strings_table.h"

namespace qm::desktop {

namespace fs = std::filesystem;

StringsTableBundle::StringsTableBundle(const fs::path& table, platform::SystemLog& log) {
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

std::string StringsTableBundle::localizedString(std::string_view key, std::string_view value) const {
    const auto found = entries_.find(key);
    return std::string(found == entries_.end() ? value : std::string_view(found->second));
}

fs::path StringsTableBundle::shippedTable() {
    return dataDirectory() / "Localizable.strings";
}

}  // namespace qm::desktop
