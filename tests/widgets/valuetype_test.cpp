#include <gtest/gtest.h>

#include "data/controls/valuetype.h"

using namespace kiosk;

namespace kiosk {
// Found by GoogleTest through argument-dependent lookup.
void PrintTo(const TEditText& t, std::ostream* os)
{
    *os << '"' << t.Text << "\" anchor " << t.Anchor << " caret " << t.Caret;
}
} // namespace kiosk

namespace {

struct CleanCase {
    const char* name;
    TValueType type;
    TEditText input;
    TEditText expected;
    bool doNil = false;
};

const DateTime kToday = DateTime::FromParts(2024, 3, 15);

class CleaningRule : public testing::TestWithParam<CleanCase> {};

} // namespace

TEST_P(CleaningRule, leavesWhatItsTypeAllowsAndKeepsTheCaretOnItsCharacter)
{
    const CleanCase& c = GetParam();
    TCleanOptions options;
    options.DoNilWhenNum = c.doNil;
    options.Today = kToday;
    EXPECT_EQ(CleanValueText(c.type, c.input, options), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    ValueTypes, CleaningRule,
    testing::Values(
        CleanCase{"stringDropsSingleQuotes", ssString, {"O'Neil's", 9, 9}, {"ONeils", 6, 6}},
        CleanCase{"stringKeepsBlanksAndChinese", ssString, {"车 '站'", 3, 3}, {"车 站", 2, 2}},
        CleanCase{"numberKeepsDigitsAndFirstPoint", ssNumber, {"1a2.3.4", 7, 7}, {"12.34", 5, 5}},
        CleanCase{"numberCaretFollowsItsCharacter", ssNumber, {"1a2", 2, 2}, {"12", 1, 1}},
        CleanCase{"numberSelectionFollowsBothEnds", ssNumber, {"x12y34", 1, 5}, {"1234", 0, 3}},
        CleanCase{"numberEmptiedBecomesZero", ssNumber, {"", 0, 0}, {"0", 1, 1}},
        CleanCase{"numberOfLettersBecomesZero", ssNumber, {"abc", 2, 2}, {"0", 1, 1}},
        CleanCase{"numberEmptiedStaysEmptyWithDoNil", ssNumber, {"", 0, 0}, {"", 0, 0}, true},
        CleanCase{"numberDropsMinus", ssNumber, {"-5", 2, 2}, {"5", 1, 1}},
        CleanCase{"doubleKeepsLeadingMinusOnly", ssDouble, {"-1-2", 4, 4}, {"-12", 3, 3}},
        CleanCase{"doubleDropsMinusNotFirst", ssDouble, {"a-1", 3, 3}, {"1", 1, 1}},
        CleanCase{"doubleKeepsLoneMinus", ssDouble, {"-", 1, 1}, {"-", 1, 1}},
        CleanCase{"doubleEmptiedBecomesZero", ssDouble, {"x", 1, 1}, {"0", 1, 1}},
        CleanCase{"ticketKeepsDigitsOnly", ssTicket, {"AB-0012 34", 10, 10}, {"001234", 6, 6}},
        CleanCase{"ticketScanLosesLineEnd", ssTicket, {"0123456789\r\n", 12, 12}, {"0123456789", 10, 10}},
        CleanCase{"ticketEmptiedStaysEmpty", ssTicket, {"", 0, 0}, {"", 0, 0}},
        CleanCase{"timeHeldToADay", ssHHMM, {"25:70", 5, 5}, {"20:00", 5, 5}},
        CleanCase{"timeWithoutColonSkipsThirdCharacter", ssHHMM, {"2561", 4, 4}, {"20:10", 4, 4}},
        CleanCase{"timeOfOneDigitIsMidnight", ssHHMM, {"9", 1, 1}, {"00:00", 1, 1}},
        CleanCase{"timeHourTensAboveTwo", ssHHMM, {"35:12", 1, 1}, {"05:12", 1, 1}},
        CleanCase{"timeCaretBeforeColonStepsOver", ssHHMM, {"12:34", 2, 2}, {"12:34", 3, 3}},
        CleanCase{"timeTypedPastTheEndIsCut", ssHHMM, {"12:345", 6, 6}, {"12:34", 5, 5}},
        CleanCase{"timeEmptiedIsMidnight", ssHHMM, {"", 0, 0}, {"00:00", 0, 0}},
        CleanCase{"dateKeepsEightDigits", ssYYYYMMDD, {"2024-09-15", 10, 10}, {"20240915", 8, 8}},
        CleanCase{"dateShortBecomesToday", ssYYYYMMDD, {"2024091", 7, 7}, {"20240315", 7, 7}},
        CleanCase{"dateCutToEight", ssYYYYMMDD, {"202409151", 9, 9}, {"20240915", 8, 8}},
        CleanCase{"dateFirstDigitAboveTwo", ssYYYYMMDD, {"90240915", 1, 1}, {"20240915", 1, 1}},
        CleanCase{"dateMonthTensAboveOne", ssYYYYMMDD, {"20242515", 5, 5}, {"20240515", 5, 5}},
        CleanCase{"dateMonthAboveTwelve", ssYYYYMMDD, {"20241915", 6, 6}, {"20241115", 6, 6}},
        CleanCase{"dateSeptemberStaysSeptember", ssYYYYMMDD, {"20240930", 8, 8}, {"20240930", 8, 8}},
        CleanCase{"dateDayTensAboveThree", ssYYYYMMDD, {"20240145", 7, 7}, {"20240105", 7, 7}},
        CleanCase{"dateDayAboveThirtyOne", ssYYYYMMDD, {"20240135", 8, 8}, {"20240131", 8, 8}},
        CleanCase{"dateDayHeldToTheMonth", ssYYYYMMDD, {"20240431", 8, 8}, {"20240430", 8, 8}},
        CleanCase{"dateLeapFebruary", ssYYYYMMDD, {"20240231", 8, 8}, {"20240229", 8, 8}},
        CleanCase{"dateCommonFebruary", ssYYYYMMDD, {"21000229", 8, 8}, {"21000228", 8, 8}},
        CleanCase{"dateZeroMonthAndDay", ssYYYYMMDD, {"20240000", 8, 8}, {"20240101", 8, 8}}),
    [](const testing::TestParamInfo<CleanCase>& info) { return std::string(info.param.name); });

TEST(CleaningRuleText, positionsOutsideTheTextStayInsideTheResult)
{
    const TEditText cleaned = CleanValueText(ssTicket, {"12a", -4, 99}, {});
    EXPECT_EQ(cleaned, (TEditText{"12", 0, 2}));
}

TEST(CleaningRuleText, malformedUtf8ComesBackAsReplacementCharacters)
{
    const TEditText cleaned = CleanValueText(ssString, {"a\xff'b", 4, 4}, {});
    EXPECT_EQ(cleaned, (TEditText{"a\xEF\xBF\xBD" "b", 3, 3}));
}

TEST(CleaningRuleText, typingOverATimeStepsOverItsColon)
{
    EXPECT_EQ(OverwritePosition(ssHHMM, 2), 3);
    EXPECT_EQ(OverwritePosition(ssHHMM, 1), 1);
    EXPECT_EQ(OverwritePosition(ssYYYYMMDD, 2), 2);
}
