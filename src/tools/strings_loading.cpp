#include "tools/strings_loading.h"

#include "tools/files.h"

namespace qm::tools {

namespace {

strings::StringsTable parseAndReport(std::string_view text, const std::string& name, std::ostream& err) {
    strings::StringsTable table = strings::parseStringsTable(text);
    const std::string prefix = "quillmere-sim: strings table " + name + ": ";
    for (const auto& problem : table.problems) err << prefix << problem << '\n';
    if (table.unreported > 0) err << prefix << "and " << table.unreported << " more problems\n";
    return table;
}

}  // namespace

std::optional<strings::StringsTable> loadStrings(const std::string& choice, std::ostream& err) {
    if (choice.empty()) return parseAndReport(shippedStrings(), "(built in)", err);
    if (choice == "none") return strings::StringsTable{};
    std::string reason;
    const auto text = readFile(choice, reason);
    if (!text) {
        err << "quillmere-sim: strings table " << choice << ": cannot be read: " << reason << '\n';
        return std::nullopt;
    }
    return parseAndReport(*text, choice, err);
}

}  // namespace qm::tools
