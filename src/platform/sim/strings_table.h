#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace qm::sim {

// A strings table in the bundle format: "key" = "value"; with /* */ and //
// comments and backslash escapes.
struct StringsTable {
    std::map<std::string, std::string, std::less<>> entries;
    // One line per fault, "line N: reason"; the entries around it are kept.
    std::vector<std::string> problems;
};

StringsTable parseStringsTable(std::string_view text);

}  // namespace qm::sim
