#include <gtest/gtest.h>

#include <limits>

#include "platform/textutil.h"

using namespace kiosk;

TEST(TextUtil, trimRemovesBlanksAndControlCharacters)
{
    EXPECT_EQ(Trim(" \t\r\n 0000000123\r\n"), "0000000123");
    EXPECT_EQ(Trim("\x01\x1f"), "");
    EXPECT_EQ(Trim("粤A12345 "), "粤A12345");
    EXPECT_EQ(TrimLeft("  a b "), "a b ");
    EXPECT_EQ(TrimRight("  a b "), "  a b");
}

TEST(TextUtil, utf16LittleEndianBecomesUtf8)
{
    const std::string zhang("\x20\x5F", 2);  // U+5F20 张
    EXPECT_EQ(Utf16LeToUtf8(zhang + std::string("A\0", 2)), "张A");
    EXPECT_EQ(Utf16LeToUtf8(std::string("\x3D\xD8\x00\xDE", 4)), "\xF0\x9F\x98\x80");  // surrogate pair
    EXPECT_EQ(Utf16LeToUtf8(std::string("\x00\xD8" "A\0", 4)), "\xEF\xBF\xBD" "A");     // lone high surrogate
    EXPECT_EQ(Utf16LeToUtf8(std::string("A\0B", 3)), "A");                              // odd byte dropped
}

TEST(TextUtil, hexadecimalBecomesBytes)
{
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(HexToBytes("FFd8ff00", bytes));
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF, 0x00}));
    EXPECT_FALSE(HexToBytes("ABC", bytes));
    EXPECT_FALSE(HexToBytes("ZZ", bytes));
    EXPECT_TRUE(bytes.empty());
}

TEST(TextUtil, formatFillsPlaceholdersInOrderWithoutPrintf)
{
    EXPECT_EQ(Format("找不到%s接口！", {"{X}"}), "找不到{X}接口！");
    EXPECT_EQ(Format("%s-%d-%%-%s", {"a", "1"}), "a-1-%-");
    EXPECT_EQ(Format("%n%x%s", {"ok"}), "%n%xok");
}

TEST(TextUtil, utf8Validation)
{
    EXPECT_TRUE(IsValidUtf8("自助检票"));
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));       // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));   // surrogate
    EXPECT_FALSE(IsValidUtf8("\xE8\x87"));       // truncated
}

TEST(TextUtil, numbersConvertBothWays)
{
    std::int64_t i = 0;
    EXPECT_TRUE(TryStrToInt64(" 9007199254740993 ", i));
    EXPECT_EQ(i, 9007199254740993LL);
    EXPECT_FALSE(TryStrToInt64("12a", i));
    EXPECT_FALSE(TryStrToInt64("99999999999999999999", i));
    double d = 0;
    EXPECT_TRUE(TryStrToFloat("45.5", d));
    EXPECT_FALSE(TryStrToFloat("nan", d));
    EXPECT_EQ(FloatToStr(950), "950");
    EXPECT_EQ(FloatToStr(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(FloatToStr(0.3), "0.3");
    EXPECT_EQ(FloatToStr(-12.5), "-12.5");
    EXPECT_TRUE(SameText("DataSourceName", "datasourcename"));
    EXPECT_TRUE(StartsText("http://", "HTTP://127.0.0.1"));
}

TEST(TextUtil, plainDecimalTextHasFifteenDigitsAndNoExponent)
{
    const std::pair<double, const char*> cases[] = {
        {0.1 + 0.2, "0.3"}, {1e20, "100000000000000000000"}, {35.5, "35.5"}, {-0.5, "-0.5"},
        {950, "950"}, {1e-7, "0.0000001"}, {-0.0, "0"}, {123456789012345678.0, "123456789012346000"},
        {1.0 / 3, "0.333333333333333"}, {9999999999999999.0, "10000000000000000"}, {2.5e-3, "0.0025"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(FloatToPlainStr(value), text) << text;
    EXPECT_EQ(FloatToPlainStr(std::numeric_limits<double>::infinity()), "INF");
}
