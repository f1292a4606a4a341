#include "tools/strings_loading.h"

#include <fstream>
#include <sstream>

namespace qm::tools {

namespace {

sim::StringsTable parseAndReport(std::string_view text, const std::string& name, std::ostream& err) {
    sim::StringsTable table = sim::parseStringsTable(text);
    for (const auto& problem : table.problems)
        err << "quillmere-sim: strings table " << name << ": " << problem << '\n';
    return table;
}

}  // namespace

sim::StringsTable loadStrings(const std::string& choice, std::ostream& err) {
    if (choice.empty()) return parseAndReport(shippedStrings(), "(built in)", err);
    if (choice == "none") return {};
    std::ifstream file(choice, std::ios::binary);
    std::ostringstream text;
    if (!(text << file.rdbuf())) {
        err << "quillmere-sim: strings table " << choice << ": cannot be read; every text shows its key\n";
        return {};
    }
    return parseAndReport(text.str(), choice, err);
}

}  // namespace qm::tools
