#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace qm::strings {

// A strings table in the bundle format: "key" = "value"; with /* */ and //
// comments and backslash escapes, in UTF-8.
struct StringsTable {
    std::map<std::string, std::string, std::less<>> entries;
    // One line per fault, "line N: reason", in the order met, at most
    // reportedProblems of them; the entries around a fault are kept.
    std::vector<std::string> problems;
    // How many faults there were beyond those, so that a binary file does not
    // bury the first ones under a million more.
    std::size_t unreported = 0;
};

inline constexpr std::size_t reportedProblems = 20;

// Bytes that are not UTF-8 read as U+FFFD, with one problem for their line;
// a key defined again is a problem too, and the later value holds.
StringsTable parseStringsTable(std::string_view text);

}  // namespace qm::strings
