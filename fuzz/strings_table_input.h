#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/strings/strings_table.h"

namespace qm::fuzz {

namespace strings_table_detail {

// Only the quote and the backslash need escaping; any other byte stands for itself.
inline std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

// "line N: reason" with N a line of the text and a reason after it.
inline bool wellFormedProblem(const std::string& problem, long lines) {
    if (!problem.starts_with("line ")) return false;
    std::size_t pos = 5;
    long number = 0;
    while (pos < problem.size() && problem[pos] >= '0' && problem[pos] <= '9' && number <= lines)
        number = number * 10 + (problem[pos++] - '0');
    return pos > 5 && number >= 1 && number <= lines && problem.compare(pos, 2, ": ") == 0 && problem.size() > pos + 2;
}

// The length of the well-formed UTF-8 character at the start of text, and its
// code point; 0 when it is not one.
inline std::size_t utf8Character(std::string_view text, uint32_t& code) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const std::size_t length = byte(0) < 0x80                      ? 1
                               : byte(0) >= 0xC2 && byte(0) < 0xE0 ? 2
                               : byte(0) >= 0xE0 && byte(0) < 0xF0 ? 3
                               : byte(0) >= 0xF0 && byte(0) < 0xF5 ? 4
                                                                   : 0;
    if (length == 0 || length > text.size()) return 0;
    code = length == 1 ? byte(0) : byte(0) & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        code = code << 6 | (byte(i) & 0x3F);
    }
    const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

inline bool wellFormedUtf8(std::string_view text) {
    uint32_t code = 0;
    for (std::size_t pos = 0, length = 0; pos < text.size(); pos += length)
        if ((length = utf8Character(text.substr(pos), code)) == 0) return false;
    return true;
}

// The text with each byte that starts no character replaced by U+FFFD.
inline std::string replacingStrayBytes(std::string_view text) {
    std::string out;
    uint32_t code = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = utf8Character(text.substr(pos), code);
        out += length ? text.substr(pos, length) : "\xEF\xBF\xBD";
        pos += length ? length : 1;
    }
    return out;
}

// Every escape the format has, chosen from the text itself: the parser must
// undo exactly what this writer does.
inline std::string escaped(std::string_view text) {
    static const char* const hex = "0123456789ABCDEF";
    const auto unit = [](std::string& out, uint32_t u) {
        out += "\\U";
        for (int shift = 12; shift >= 0; shift -= 4) out += hex[(u >> shift) & 0xF];
    };
    std::string out = "\"";
    for (std::size_t pos = 0; pos < text.size();) {
        const char c = text[pos];
        uint32_t code = 0;
        const std::size_t length = utf8Character(text.substr(pos), code);
        if (c == '"' || c == '\\' || c == '\'') {
            out += '\\';
            out += c;
        } else if (c == '\t' || c == '\r' || (c == '\n' && pos % 2 == 0)) {
            out += c == '\t' ? "\\t" : c == '\r' ? "\\r" : "\\n";
        } else if (length > 1 || c == '\0') {
            if (code < 0x10000) {
                unit(out, code);
            } else {
                unit(out, 0xD800 + ((code - 0x10000) >> 10));
                unit(out, 0xDC00 + ((code - 0x10000) & 0x3FF));
            }
            pos += length;
            continue;
        } else {
            out += c;
        }
        ++pos;
    }
    return out + '"';
}

// Entries taken from the text, separated by ';' and split at the first '='.
inline void checkWrittenEntries(std::string_view data) {
    std::map<std::string, std::string, std::less<>> entries;
    std::size_t repeats = 0;
    std::string written;
    for (std::size_t start = 0; start <= data.size();) {
        const std::size_t end = std::min(data.find(';', start), data.size());
        const std::string_view entry = data.substr(start, end - start);
        const std::size_t split = std::min(entry.find('='), entry.size());
        // Bytes that are not UTF-8 have a test of their own, in the text as it stands.
        const std::string key = replacingStrayBytes(entry.substr(0, split));
        const std::string value = replacingStrayBytes(entry.substr(std::min(split + 1, entry.size())));
        repeats += !entries.insert_or_assign(key, value).second;
        written += escaped(key) + (start % 2 ? " = " : "=") + escaped(value) + (start % 3 ? ";\n" : "; /* */ // x\n");
        start = end + 1;
    }
    const strings::StringsTable table = strings::parseStringsTable(written);
    check(table.problems.size() + table.unreported == repeats, "a table of escaped entries reads without a fault");
    for (const auto& problem : table.problems)
        check(problem.find(" is defined again (before on line ") != std::string::npos,
              "the only problem of escaped entries is a key written twice");
    check(table.entries == entries, "escapes read back as the characters written");
}

}  // namespace strings_table_detail

// The parser documents no exception: any text gives a table. Every problem names
// a line of the text, and what was read writes back into a table that reads the
// same without a problem. Apart from what it parses, the text also serves as
// entries for a writer of every escape, whose table must read back unchanged.
inline void checkStringsTableInput(std::string_view data) {
    using namespace strings_table_detail;
    const strings::StringsTable table = strings::parseStringsTable(data);

    const long lines = static_cast<long>(std::count(data.begin(), data.end(), '\n')) + 1;
    for (const auto& problem : table.problems) check(wellFormedProblem(problem, lines), "a problem names a line");
    check(table.problems.size() <= strings::reportedProblems &&
              (table.unreported == 0 || table.problems.size() == strings::reportedProblems),
          "problems beyond the first ones are only counted");
    for (const auto& [key, value] : table.entries)
        check(wellFormedUtf8(key) && wellFormedUtf8(value), "entries are UTF-8, whatever the bytes read");
    if (data.starts_with("\xFF\xFE") || data.starts_with("\xFE\xFF"))
        check(table.entries.empty() && table.problems.size() == 1, "a UTF-16 table is refused whole");

    std::string written;
    for (const auto& [key, value] : table.entries) written += quoted(key) + " = " + quoted(value) + ";\n";
    const strings::StringsTable reread = strings::parseStringsTable(written);
    check(reread.problems.empty(), "a written table reads without a problem");
    check(reread.entries == table.entries, "a written table reads back the same entries");

    checkWrittenEntries(data);
}

}  // namespace qm::fuzz
