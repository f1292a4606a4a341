#include "tools/strings_loading.h"

#include "tools/files.h"

namespace qm::tools {

namespace {

sim::StringsTable parseAndReport(std::string_view text, const std::string& name, std::ostream& err) {
    sim::StringsTable table = sim::parseStringsTable(text);
    const std::string prefix = "quillmere-sim: strings table " + name + ": ";
    for (const auto& problem : table.problems) err << prefix << problem << '\n';
    if (table.unreported > 0) err << prefix << "and " << table.unreported << " more problems\n";
    return table;
}

}  // namespace

std::optional<sim::StringsTable> loadStrings(const std::string& choice, std::ostream& err) {
    if (choice.empty()) return parseAndReport(shippedStrings(), "(built in)", err);
    if (choice == "none") return sim::StringsTable{};
    std::string reason;
    const auto text = readFile(choice, reason);
    if (!text) {
        err << "quillmere-sim: strings table " << choice << ": cannot be read: " << reason << '\n';
        return std::nullopt;
    }
    return parseAndReport(*text, choice, err);
}

}  // namespace qm::tools
