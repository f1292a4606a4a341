#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "platform/strings/strings_table.h"
#include "tools/strings_loading.h"

namespace qm::strings {
namespace {

using Entries = std::map<std::string, std::string, std::less<>>;

struct Decoding {
    const char* name;
    std::string text;
    Entries entries;
};

void PrintTo(const Decoding& decoding, std::ostream* out) {
    *out << decoding.name;
}

class WellFormed : public testing::TestWithParam<Decoding> {};

TEST_P(WellFormed, DecodesEveryEntryWithoutAProblem) {
    const StringsTable table = parseStringsTable(GetParam().text);
    EXPECT_EQ(table.entries, GetParam().entries);
    EXPECT_EQ(table.problems, std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    StringsTable, WellFormed,
    testing::Values(
        Decoding{"Empty", "", {}}, Decoding{"OnlyBlanksAndComments", " \n\t/* a */ // b\n/**/\n", {}},
        Decoding{"BothCommentKinds",
                 "/* \"gone\" = \"1\"; */\n// \"gone2\" = \"2\";\n\"k\" /* in */ = // between\n \"v\"; // after\n",
                 {{"k", "v"}}},
        Decoding{"SyntaxInsideAString", R"("k" = "a // b /* c */ = ; d";)", {{"k", "a // b /* c */ = ; d"}}},
        Decoding{"Escapes",
                 R"("k\"ey" = "q\" b\\ n\n t\t e\U00e9 E\U00C9 \\n";)",
                 {{"k\"ey", "q\" b\\ n\n t\t e\xC3\xA9 E\xC3\x89 \\n"}}},
        Decoding{
            "RawUtf8AndMultiLineValue", "\"k\" = \"Café…\nline two\";", {{"k", "Caf\xC3\xA9\xE2\x80\xA6\nline two"}}},
        Decoding{"Utf8ByteOrderMark", "\xEF\xBB\xBF/* c */\"k\" = \"v\";", {{"k", "v"}}},
        Decoding{"WindowsLineEnds", "\"a\" = \"1\";\r\n\"b\" = \"2\";\r\n", {{"a", "1"}, {"b", "2"}}},
        Decoding{"EmptyKeyAndValue", R"("" = "";)", {{"", ""}}},
        // Characters beyond the first plane are written as a pair of halves.
        Decoding{"SurrogatePair", R"("k" = "\UD83D\UDE00";)", {{"k", "\xF0\x9F\x98\x80"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StringsTable, KeepsVeryLongValuesWhole) {
    const std::string longValue(1 << 20, 'x');
    const std::string longKey(10000, 'k');
    std::string escaped;
    for (int i = 0; i < 100000; ++i) escaped += "\\\"";
    const StringsTable table =
        parseStringsTable("\"" + longKey + "\" = \"" + longValue + "\";\n\"e\" = \"" + escaped + "\";\n");
    EXPECT_EQ(table.problems, std::vector<std::string>{});
    EXPECT_EQ(table.entries.at(longKey), longValue);
    EXPECT_EQ(table.entries.at("e"), std::string(100000, '"'));
}

struct Fault {
    const char* name;
    std::string line;
    Entries alsoKept;  // what the faulty line itself still yields
};

void PrintTo(const Fault& fault, std::ostream* out) {
    *out << fault.name;
}

class Faulty : public testing::TestWithParam<Fault> {};

// Between two good entries, one faulty line costs nothing but itself and is
// reported once, with its line number.
TEST_P(Faulty, IsReportedOnceWithItsLineAndSparesTheEntriesAround) {
    const StringsTable table =
        parseStringsTable("/* header */\n\"before\" = \"B\";\n" + GetParam().line + "\n\"after\" = \"A\";\n");
    Entries expected = GetParam().alsoKept;
    expected.emplace("before", "B");
    expected.emplace("after", "A");
    EXPECT_EQ(table.entries, expected);
    ASSERT_EQ(table.problems.size(), 1u) << testing::PrintToString(table.problems);
    EXPECT_TRUE(table.problems[0].starts_with("line 3: ")) << table.problems[0];
}

INSTANTIATE_TEST_SUITE_P(StringsTable, Faulty,
                         testing::Values(Fault{"UnknownEscape", R"("bad" = "x\q";)", {}},
                                         Fault{"HexDigitsCutByTheQuote", R"("bad" = "\U00";)", {}},
                                         Fault{"LoneSurrogate", R"("bad" = "\UD800 alone";)", {}},
                                         Fault{"MissingEquals", R"("bad" "value";)", {}},
                                         Fault{"MissingValue", R"("bad" = ;)", {}},
                                         // Noticed only at the next line, which must not pay for it.
                                         Fault{"KeyAloneOnItsLine", R"("bad")", {}},
                                         Fault{"KeyAndEqualsAloneOnItsLine", R"("bad" = /* no value */ ;)", {}},
                                         Fault{"UnquotedKey", R"(bad = "value";)", {}},
                                         Fault{"Garbage", "this is not an entry", {}}, Fault{"LoneSemicolon", ";", {}},
                                         Fault{"StrayCommentEnd", "*/", {}},
                                         // The entry is whole without it, so it is kept.
                                         Fault{"MissingSemicolon", R"("kept" = "K")", {{"kept", "K"}}}),
                         [](const auto& info) { return std::string(info.param.name); });

// Whole tables: what still reads is kept, and each problem is reported once,
// numbered by the line it starts on.
TEST(StringsTable, KeepsWhatReadsAndNumbersEachProblemByTheLineItStartsOn) {
    struct Case {
        const char* name;
        std::string text;
        Entries entries;
        std::vector<std::string> problems;  // how each begins, in order
    };
    const std::string before = "\"before\" = \"B\";\n";
    const Case cases[] = {
        {"lines of every kind",
         "/* a comment\n   over two lines */\n\"a\" = \"multi\nline\";\ngarbage\n\"b\" = \"B\";\n\"c\" = \"\\q\";\n"
         "\"d\" = \"D\"\n\"e\" = \"E\";\n",
         {{"a", "multi\nline"}, {"b", "B"}, {"d", "D"}, {"e", "E"}},
         {"line 5: ", "line 7: ", "line 8: "}},
        // Strings left open at the end.
        {"value", before + "\"bad\" = \"never closed", {{"before", "B"}}, {"line 2: "}},
        {"escape", before + "\"bad\" = \"ends in \\", {{"before", "B"}}, {"line 2: "}},
        {"key", before + "\"bad", {{"before", "B"}}, {"line 2: "}},
        {"no value", before + "\"bad\" =", {{"before", "B"}}, {"line 2: "}},
        // A comment that never closes silently swallows the rest of the table.
        {"comment", before + "/* never closed\n\"after\" = \"A\";\n", {{"before", "B"}}, {"line 2: "}},
        // A key defined twice is most likely a copy that was meant to change.
        {"a key defined again",
         "\"k\" = \"first\";\n\"other\" = \"o\";\n\"k\" = \"second\";\n\"k\" = \"third\";\n",
         {{"k", "third"}, {"other", "o"}},
         {R"(line 3: "k" is defined again (before on line 1); the later value holds)",
          R"(line 4: "k" is defined again (before on line 3); the later value holds)"}},
        // A table saved in Latin-1 or another legacy encoding.
        {"bytes that are not UTF-8",
         "\"menu.enabled\" = \"Caf\xE9 cr\xE8me\";\n\"ok\" = \"Caf\xC3\xA9\";\n\"k\xFF\" = \"\xC3\";\n",
         {{"menu.enabled", "Caf\uFFFD cr\uFFFDme"}, {"ok", "Caf\u00E9"}, {"k\uFFFD", "\uFFFD"}},
         {"line 1: bytes that are not UTF-8, read as U+FFFD", "line 3: bytes that are not UTF-8, read as U+FFFD"}},
        // The quote that closes such a value is the next entry's opening quote.
        {"an unterminated value",
         "\"a\" = \"A\";\n\"b\" = \"never closed;\n\"c\" = \"C\";\n\"d\" = \"two\nlines\";\n",
         {{"a", "A"}, {"c", "C"}, {"d", "two\nlines"}},
         {"line 2: unterminated string"}},
        {"unterminated values at the end",
         "\"a\" = \"open\n\"b\" = \"B\";\n\"c\" = \"C",
         {{"b", "B"}},
         {"line 1: unterminated string", "line 3: unterminated string"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const StringsTable table = parseStringsTable(c.text);
        EXPECT_EQ(table.entries, c.entries);
        ASSERT_EQ(table.problems.size(), c.problems.size()) << testing::PrintToString(table.problems);
        for (std::size_t i = 0; i < c.problems.size(); ++i)
            EXPECT_TRUE(table.problems[i].starts_with(c.problems[i])) << table.problems[i];
    }
}

std::string utf16(const std::string& ascii, bool littleEndian) {
    std::string text;
    for (const char c : ascii) text += littleEndian ? std::string{c, '\0'} : std::string{'\0', c};
    return text;
}

TEST(StringsTable, AUtf16TableIsRefusedInWordsWithOrWithoutAByteOrderMark) {
    const std::string table = "/* Menu */\n\"k\" = \"v\";\n";
    for (const std::string& text :
         {"\xFF\xFE" + utf16(table, true), "\xFE\xFF" + utf16(table, false), utf16(table, true), utf16(table, false)}) {
        const StringsTable read = parseStringsTable(text);
        EXPECT_TRUE(read.entries.empty());
        ASSERT_EQ(read.problems.size(), 1u);
        EXPECT_TRUE(read.problems[0].starts_with("line 1: the table ")) << read.problems[0];
        EXPECT_NE(read.problems[0].find("UTF-16"), std::string::npos) << read.problems[0];
    }
    // NULs written into the strings of a good table are its own business.
    const StringsTable nuls = parseStringsTable(std::string("\"k\" = \"a\0b\0c\0d\0\";", 17));
    EXPECT_EQ(nuls.problems, std::vector<std::string>{});
    EXPECT_EQ(nuls.entries.at("k"), std::string("a\0b\0c\0d\0", 8));
}

// Pseudo-random bytes, the same on every run.
std::string binaryNoise(std::size_t size) {
    std::string bytes(size, '\0');
    uint32_t state = 12345;
    for (char& c : bytes) {
        state = state * 1664525 + 1013904223;
        c = static_cast<char>(state >> 24);
    }
    return bytes;
}

// Every problem is one printable line, whatever bytes provoked it.
bool printable(const std::string& line) {
    for (const char c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    return true;
}

class StringsFile : public testing::Test {
protected:
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string write(const std::string& text) {
        std::filesystem::create_directories(dir_);
        std::ofstream(dir_ / "Localizable.strings", std::ios::binary) << text;
        return (dir_ / "Localizable.strings").string();
    }
    // Named by the process, so that test runs side by side do not meet.
    const std::filesystem::path dir_ =
        std::filesystem::path(testing::TempDir()) / ("quillmere-strings-" + std::to_string(::getpid()));
};

TEST_F(StringsFile, ABinaryFileGivesTwentyProblemsAndTheCountOfTheRest) {
    const std::string path = write(binaryNoise(1 << 20));
    std::ostringstream err;
    const auto table = tools::loadStrings(path, err);
    ASSERT_TRUE(table.has_value());
    EXPECT_EQ(table->problems.size(), reportedProblems);
    EXPECT_GT(table->unreported, 1000u);
    std::vector<std::string> lines;
    std::istringstream said(err.str());
    for (std::string line; std::getline(said, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), reportedProblems + 1);
    for (const auto& line : lines) EXPECT_TRUE(printable(line)) << line;
    EXPECT_EQ(lines.back(),
              "quillmere-sim: strings table " + path + ": and " + std::to_string(table->unreported) + " more problems");
}

}  // namespace
}  // namespace qm::strings
