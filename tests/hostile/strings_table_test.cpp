#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "platform/sim/strings_table.h"
#include "tools/strings_loading.h"

namespace qm::sim {
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
        Decoding{"DuplicateKeyLastWins", "\"k\" = \"first\";\n\"k\" = \"second\";", {{"k", "second"}}},
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

INSTANTIATE_TEST_SUITE_P(
    StringsTable, Faulty,
    testing::Values(Fault{"UnknownEscape", R"("bad" = "x\q";)", {}}, Fault{"TooFewHexDigits", R"("bad" = "\U12";)", {}},
                    Fault{"HexDigitsCutByTheQuote", R"("bad" = "\U00";)", {}},
                    Fault{"LoneSurrogate", R"("bad" = "\UD800 alone";)", {}},
                    Fault{"MissingEquals", R"("bad" "value";)", {}}, Fault{"MissingValue", R"("bad" = ;)", {}},
                    // Noticed only at the next line, which must not pay for it.
                    Fault{"KeyAloneOnItsLine", R"("bad")", {}},
                    Fault{"KeyAndEqualsAloneOnItsLine", R"("bad" = /* no value */ ;)", {}},
                    Fault{"UnquotedKey", R"(bad = "value";)", {}}, Fault{"Garbage", "this is not an entry", {}},
                    Fault{"GarbageWithQuotes", R"(oops "x" = "y";)", {}}, Fault{"LoneSemicolon", ";", {}},
                    Fault{"StrayCommentEnd", "*/", {}},
                    // The entry is whole without it, so it is kept.
                    Fault{"MissingSemicolon", R"("kept" = "K")", {{"kept", "K"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StringsTable, NumbersEachProblemByTheLineItStartsOn) {
    const StringsTable table = parseStringsTable(
        "/* a comment\n   over two lines */\n\"a\" = \"multi\nline\";\ngarbage\n\"b\" = \"B\";\n\"c\" = \"\\q\";\n"
        "\"d\" = \"D\"\n\"e\" = \"E\";\n");
    EXPECT_EQ(table.entries, (Entries{{"a", "multi\nline"}, {"b", "B"}, {"d", "D"}, {"e", "E"}}));
    ASSERT_EQ(table.problems.size(), 3u) << testing::PrintToString(table.problems);
    EXPECT_TRUE(table.problems[0].starts_with("line 5: ")) << table.problems[0];
    EXPECT_TRUE(table.problems[1].starts_with("line 7: ")) << table.problems[1];
    EXPECT_TRUE(table.problems[2].starts_with("line 8: ")) << table.problems[2];
}

TEST(StringsTable, AStringLeftOpenAtTheEndIsReportedAndEarlierEntriesKept) {
    for (const std::string tail : {"\"bad\" = \"never closed", "\"bad\" = \"ends in \\", "\"bad", "\"bad\" ="}) {
        const StringsTable table = parseStringsTable("\"before\" = \"B\";\n" + tail);
        EXPECT_EQ(table.entries, (Entries{{"before", "B"}})) << tail;
        ASSERT_EQ(table.problems.size(), 1u) << tail;
        EXPECT_TRUE(table.problems[0].starts_with("line 2: ")) << table.problems[0];
    }
}

// A comment that never closes silently swallows the rest of the table.
TEST(StringsTable, ACommentLeftOpenIsReported) {
    const StringsTable table = parseStringsTable("\"before\" = \"B\";\n/* never closed\n\"after\" = \"A\";\n");
    EXPECT_EQ(table.entries.at("before"), "B");
    ASSERT_EQ(table.problems.size(), 1u) << testing::PrintToString(table.problems);
    EXPECT_TRUE(table.problems[0].starts_with("line 2: ")) << table.problems[0];
}

TEST(StringsTable, AUtf16TableIsRefusedWithOneProblem) {
    for (const std::string bom : {"\xFF\xFE", "\xFE\xFF"}) {
        std::string text = bom;
        for (char c : std::string(R"("k" = "v";)"))
            text += bom[0] == '\xFF' ? std::string{c, '\0'} : std::string{'\0', c};
        const StringsTable table = parseStringsTable(text);
        EXPECT_TRUE(table.entries.empty());
        ASSERT_EQ(table.problems.size(), 1u);
        EXPECT_NE(table.problems[0].find("UTF-16"), std::string::npos) << table.problems[0];
    }
}

TEST(LoadStrings, AMissingFileIsReportedOnceAndYieldsAnEmptyTable) {
    std::ostringstream err;
    const StringsTable table = tools::loadStrings("no/such/file", err);
    EXPECT_TRUE(table.entries.empty());
    EXPECT_EQ(err.str(), "quillmere-sim: strings table no/such/file: cannot be read; every text shows its key\n");
}

TEST(LoadStrings, AFileWithAFaultyLineKeepsTheRestAndNamesFileAndLine) {
    // Named by the process, so that test runs side by side do not meet.
    const auto path = std::filesystem::temp_directory_path() / ("quillmere-" + std::to_string(::getpid()) + ".strings");
    std::ofstream(path, std::ios::binary) << "\"menu.quit\" = \"Beenden\";\nnonsense\n\"menu.enabled\" = \"An\";\n";
    std::ostringstream err;
    const StringsTable table = tools::loadStrings(path.string(), err);
    std::filesystem::remove(path);
    EXPECT_EQ(table.entries, (Entries{{"menu.quit", "Beenden"}, {"menu.enabled", "An"}}));
    const std::string said = err.str();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_TRUE(said.starts_with("quillmere-sim: strings table " + path.string() + ": line 2: ")) << said;
}

}  // namespace
}  // namespace qm::sim
