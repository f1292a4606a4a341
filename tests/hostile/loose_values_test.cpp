#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

#include "platform/sim/sim_user_defaults.h"
#include "platform/stored_values.h"
#include "platform/value.h"
#include "platform/window_list.h"

namespace qm::test {
namespace {

using platform::Rect;
using platform::Value;

// Process identifiers and window layers arrive as numbers of either kind; a
// wrong answer here turns a fraction or an overflow into someone's pid.
TEST(LooseValues, ExactIntegerAcceptsOnlyWholeNumbersInRange) {
    const struct {
        Value value;
        std::optional<int64_t> expected;
    } cases[] = {
        {Value(3), 3},
        {Value(3.0), 3},
        {Value(3.5), std::nullopt},
        {Value(1e19), std::nullopt},
        {Value(9223372036854775808.0), std::nullopt},
        {Value(std::numeric_limits<double>::infinity()), std::nullopt},
        {Value(std::nan("")), std::nullopt},
        {Value(true), std::nullopt},
        {Value("3"), std::nullopt},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(value.exactInteger(), expected);
}

TEST(LooseValues, BoundsDictionaryNeedsFourNumbers) {
    using D = Value::Dictionary;
    const struct {
        Value value;
        std::optional<Rect> expected;
    } cases[] = {
        {D{{"X", 1}, {"Y", 2.5}, {"Width", 30}, {"Height", 40}}, Rect{1, 2.5, 30, 40}},
        {D{{"Height", 40}, {"Width", 30}, {"Y", 2}, {"X", 1}, {"Extra", "x"}}, Rect{1, 2, 30, 40}},
        {D{{"X", 1}, {"Y", 2}, {"Width", 30}}, std::nullopt},
        {D{{"X", 1}, {"Y", 2}, {"Width", "30"}, {"Height", 40}}, std::nullopt},
        {D{{"X", true}, {"Y", 2}, {"Width", 30}, {"Height", 40}}, std::nullopt},
        {Value(Value::Array{1, 2, 30, 40}), std::nullopt},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(platform::rectFromDictionary(value), expected);
}

// A hand-edited "didShowOnboarding" may hold a string; it has to read the way
// the system would read it, or the onboarding shows again (or never).
TEST(LooseValues, StringReadsAsBooleanByItsFirstSignificantCharacter) {
    const struct {
        const char* text;
        bool expected;
    } cases[] = {
        {"YES", true},  {"yes", true}, {"true", true},  {"T", true},      {"1", true},    {"  +007", true},
        {"-9", true},   {"", false},   {"NO", false},   {"false", false}, {"0", false},   {"000", false},
        {"0.5", false}, {" ", false},  {"nope", false}, {"  x1", false},  {"--1", false}, {"0+1", false},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(platform::stringBoolValue(text), expected) << '"' << text << '"';
}

}  // namespace
}  // namespace qm::test
