#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "print/formatitemvalue.h"

using namespace kiosk;

namespace {

struct FormatCase {
    std::optional<std::string> pattern;
    std::string text;
    std::string expected;
};

class FormatItemValueTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatItemValueTest, formatsWithTheFirstKindOfValueThePatternAccepts)
{
    const auto& c = GetParam();
    const std::optional<std::string_view> pattern = c.pattern ? std::optional<std::string_view>(*c.pattern) : std::nullopt;
    EXPECT_EQ(FormatItemValue(pattern, c.text), c.expected) << (c.pattern ? *c.pattern : "(null)") << " / " << c.text;
}

INSTANTIATE_TEST_SUITE_P(Attempts, FormatItemValueTest,
    ::testing::Values(
        FormatCase{"%.2f", "12.5", "12.50"}, FormatCase{"%d", "12", "12"},
        // %d takes no floating-point number and 12.5 is no integer: the text comes back.
        FormatCase{"%d", "12.5", "12.5"}, FormatCase{std::nullopt, "12.5", "12.5"},
        FormatCase{"", "12.5", ""}, FormatCase{"%s元", "12", "12元"}, FormatCase{"%.2f", "", ""},
        FormatCase{"合计", "12", "合计"}, FormatCase{"%s", "张三", "张三"}, FormatCase{"%f", "abc", "abc"},
        // Beyond 32 bits the 64-bit attempt serves.
        FormatCase{"%d", "12345678901", "12345678901"}, FormatCase{"%x", "-1", "FFFFFFFF"},
        FormatCase{"%x", "-12345678901", "FFFFFFFD2023E3CB"}, FormatCase{"%u", "-1", "4294967295"}));

INSTANTIATE_TEST_SUITE_P(Placeholders, FormatItemValueTest,
    ::testing::Values(
        FormatCase{"%f", "3", "3.00"}, FormatCase{"%.0f", "2.5", "3"}, FormatCase{"%.2f", "1.005", "1.01"},
        FormatCase{"%.2f", "-0.001", "0.00"}, FormatCase{"%.1f", "-2.25", "-2.3"},
        FormatCase{"%n", "1234567.891", "1,234,567.89"}, FormatCase{"%m", "1234.5", "￥1,234.50"},
        FormatCase{"%e", "1234.5", "1.23450000000000E+003"}, FormatCase{"%.3e", "-0.000125", "-1.25E-004"},
        FormatCase{"%g", "12.50", "12.5"}, FormatCase{"%g", "1e20", "1E020"},
        FormatCase{"%.3d", "7", "007"}, FormatCase{"%.3d", "-7", "-007"}, FormatCase{"%5d|", "42", "   42|"},
        FormatCase{"%-5d|", "42", "42   |"}, FormatCase{"%6.2f", "3.14159", "  3.14"},
        FormatCase{"%.1s", "张三", "张"}, FormatCase{"%4s|", "张三", "  张三|"}, FormatCase{"%0:s-%0:s", "ab", "ab-ab"},
        FormatCase{"100%%", "5", "100%"}, FormatCase{"%D", "5", "5"}, FormatCase{"%X", "255", "FF"}));

// Patterns that ask for more than the one value, or are malformed, give the text unchanged.
INSTANTIATE_TEST_SUITE_P(RefusedPatterns, FormatItemValueTest,
    ::testing::Values(
        FormatCase{"%s %s", "a", "a"}, FormatCase{"%1:s", "a", "a"}, FormatCase{"%*d", "5", "5"},
        FormatCase{"%", "5", "5"}, FormatCase{"abc%", "5", "5"}, FormatCase{"%.", "5", "5"},
        FormatCase{"%p", "5", "5"}, FormatCase{"%q", "5", "5"}, FormatCase{"%99999d", "5", "5"},
        FormatCase{"%.2000f", "5", "5"}, FormatCase{"%n%n", "5", "5"}));

TEST(FormatItemValue, clampsFloatingPointPrecisionToEighteenDigits)
{
    EXPECT_EQ(FormatItemValue("%.30f", "0.5"), "0.500000000000000000");
}

} // namespace
