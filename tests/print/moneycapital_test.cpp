#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/exception.h"
#include "print/moneycapital.h"

using namespace kiosk;

namespace {

struct CapitalCase {
    double amount;
    const char* expected;
};

class MoneyToCapitalTest : public ::testing::TestWithParam<CapitalCase> {};

TEST_P(MoneyToCapitalTest, writesTheAmountInCapitalsWithItsUnits)
{
    EXPECT_EQ(MoneyToCapital(GetParam().amount), GetParam().expected) << GetParam().amount;
}

INSTANTIATE_TEST_SUITE_P(WorkedResults, MoneyToCapitalTest,
    ::testing::Values(
        CapitalCase{0, ""}, CapitalCase{0.05, "伍分"}, CapitalCase{0.5, "伍角"}, CapitalCase{0.125, "壹角叁分"},
        CapitalCase{1, "壹元整"}, CapitalCase{1.5, "壹元伍角"}, CapitalCase{10, "壹拾元整"},
        CapitalCase{20.1, "贰拾元壹角"}, CapitalCase{100.07, "壹佰元零柒分"}, CapitalCase{101, "壹佰零壹元整"},
        CapitalCase{1005, "壹仟零伍元整"}, CapitalCase{10000.01, "壹万元零壹分"}, CapitalCase{10100, "壹万零壹佰元整"},
        CapitalCase{100010, "壹拾万零壹拾元整"}, CapitalCase{1000000, "壹佰万元整"},
        CapitalCase{100000001, "壹亿零壹元整"}, CapitalCase{1000000000000, "壹万亿元整"},
        CapitalCase{123456789.12, "壹亿贰仟叁佰肆拾伍万陆仟柒佰捌拾玖元壹角贰分"}, CapitalCase{-5, "负伍元整"},
        CapitalCase{-0.001, "负"}));

// Amounts whose binary value lies just below the written one keep their written cents.
INSTANTIATE_TEST_SUITE_P(DecimalDigits, MoneyToCapitalTest,
    ::testing::Values(CapitalCase{1.005, "壹元零壹分"}, CapitalCase{0.3, "叁角"}, CapitalCase{2.675, "贰元陆角捌分"},
                      CapitalCase{0.015, "贰分"}, CapitalCase{-0.0, ""}, CapitalCase{9999999999999.99,
                      "玖万玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"}));

std::string ErrorOf(double amount)
{
    try {
        MoneyToCapital(amount);
    } catch (const Exception& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(MoneyToCapital, refusesAmountsTheUnitTableCannotWrite)
{
    EXPECT_EQ(ErrorOf(10000000000000.0), "金额超出范围：10000000000000");
    // Rounds up to 10 000 000 000 000 yuan; 9999999999999.994 does not.
    EXPECT_EQ(ErrorOf(9999999999999.996), "金额超出范围：9999999999999.996");
    EXPECT_EQ(ErrorOf(9999999999999.994), "(no error)");
    EXPECT_EQ(ErrorOf(-1e300), "金额超出范围：1e+300");
    EXPECT_EQ(ErrorOf(std::numeric_limits<double>::quiet_NaN()), "无效的金额：NAN");
    EXPECT_EQ(ErrorOf(-std::numeric_limits<double>::infinity()), "无效的金额：-INF");
}

struct DigitCase {
    int position;
    bool capital;
    bool currency;
    double amount;
    const char* expected;
};

class AmountDigitAtTest : public ::testing::TestWithParam<DigitCase> {};

TEST_P(AmountDigitAtTest, givesTheCharacterOfOneDecimalPlace)
{
    const auto& c = GetParam();
    EXPECT_EQ(AmountDigitAt(c.position, c.capital, c.currency, c.amount), c.expected)
        << "position " << c.position << " of " << c.amount;
}

INSTANTIATE_TEST_SUITE_P(Example1234_5, AmountDigitAtTest,
    ::testing::Values(
        DigitCase{6, true, true, 1234.5, ""}, DigitCase{5, true, true, 1234.5, "￥"},
        DigitCase{4, true, true, 1234.5, "壹"}, DigitCase{3, true, true, 1234.5, "贰"},
        DigitCase{2, true, true, 1234.5, "叁"}, DigitCase{1, true, true, 1234.5, "肆"},
        DigitCase{0, true, true, 1234.5, "点"}, DigitCase{-1, true, true, 1234.5, "伍"},
        DigitCase{-2, true, true, 1234.5, "零"}, DigitCase{4, false, true, 1234.5, "1"},
        DigitCase{3, false, true, 1234.5, "2"}, DigitCase{2, false, true, 1234.5, "3"},
        DigitCase{1, false, true, 1234.5, "4"}, DigitCase{-1, false, true, 1234.5, "5"},
        DigitCase{-2, false, true, 1234.5, "0"}, DigitCase{5, false, false, 1234.5, ""}));

INSTANTIATE_TEST_SUITE_P(EdgeCases, AmountDigitAtTest,
    ::testing::Values(
        // Decimal digits, not binary ones.
        DigitCase{-1, true, false, 0.3, "叁"}, DigitCase{-2, true, false, 0.3, "零"},
        DigitCase{-2, false, false, 1.005, "0"}, DigitCase{-3, false, false, 1.005, "5"},
        // Below 1: the ones place prints 0 and the tens place takes the sign.
        DigitCase{1, false, true, 0.75, "0"}, DigitCase{2, false, true, 0.75, "￥"},
        DigitCase{3, false, true, 0.75, ""},
        // A negative integer part counts its minus sign: 0 above the leading digit, sign higher.
        DigitCase{1, false, true, -5, "5"}, DigitCase{2, false, true, -5, "0"},
        DigitCase{3, false, true, -5, "￥"}, DigitCase{4, false, true, -5, ""},
        // Between −1 and 0 the integer part is 0 and has no sign.
        DigitCase{1, false, true, -0.5, "0"}, DigitCase{2, false, true, -0.5, "￥"},
        DigitCase{0, false, false, -123.25, "点"}, DigitCase{-1, false, false, 12, "0"},
        DigitCase{21, false, true, 1e20, "1"}, DigitCase{20, false, true, 1e20, "0"},
        DigitCase{22, false, true, 1e20, "￥"}));

TEST(AmountDigitAt, refusesAmountsThatAreNotNumbers)
{
    EXPECT_THROW(AmountDigitAt(1, true, false, std::numeric_limits<double>::quiet_NaN()), Exception);
    EXPECT_THROW(AmountDigitAt(1, true, false, std::numeric_limits<double>::infinity()), Exception);
}

} // namespace
