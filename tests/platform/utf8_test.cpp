#include <gtest/gtest.h>

#include <string>

#include "platform/utf8.h"

namespace qm::test {
namespace {

using platform::repairedUtf8;

const std::string kFFFD = "\xEF\xBF\xBD";

TEST(RepairedUtf8, WellFormedTextComesBackUnchanged) {
    for (const std::string& text :
         {std::string(""), std::string("Disable in TextEdit"), std::string("Caf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x96\xB1"),
          std::string("\xF4\x8F\xBF\xBF\xEE\x80\x80"), std::string("a\0b", 3)}) {
        EXPECT_EQ(repairedUtf8(text), text);
    }
}

TEST(RepairedUtf8, EachIllFormedRunBecomesOneReplacementCharacter) {
    struct Case {
        const char* name;
        std::string in, out;
    };
    const Case cases[] = {
        {"stray continuation bytes",
         "a\x80\xBF"
         "b",
         "a" + kFFFD + kFFFD + "b"},
        {"bytes that never begin a character", "\xC0\xC1\xF5\xFF", kFFFD + kFFFD + kFFFD + kFFFD},
        {"overlong forms", "\xC0\xAF\xE0\x80\xAF", kFFFD + kFFFD + kFFFD + kFFFD + kFFFD},
        {"a surrogate", "\xED\xA0\x80", kFFFD + kFFFD + kFFFD},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", kFFFD + kFFFD + kFFFD + kFFFD},
        {"a sequence cut short by another character",
         "\xE2\x80"
         "A",
         kFFFD + "A"},
        {"a sequence cut short by the end", "ok\xF0\x9F\x96", "ok" + kFFFD},
        {"a lead byte followed by a lead byte", "\xC3\xC3\xA9", kFFFD + "\xC3\xA9"},
    };
    for (const Case& c : cases) EXPECT_EQ(repairedUtf8(c.in), c.out) << c.name;
}

}  // namespace
}  // namespace qm::test
