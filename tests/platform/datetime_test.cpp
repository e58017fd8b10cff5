#include <gtest/gtest.h>

#include "platform/datetime.h"

using namespace kiosk;

TEST(DateTime, systemTextForms)
{
    const DateTime d = DateTime::FromParts(2015, 3, 9, 8, 5, 9);
    EXPECT_EQ(d.Format("yyyy-mm-dd"), "2015-03-09");
    EXPECT_EQ(d.Format("yyyy-mm-dd hh:nn:ss"), "2015-03-09 08:05:09");
    EXPECT_EQ(d.Format("YYYY.MM.DD"), "2015.03.09");
    EXPECT_EQ(d.Format("[HH:MM:SS]"), "[08:05:09]");
    EXPECT_EQ(d.Format("hh:mm"), "08:05");
}

TEST(DateTime, serialNumbersMatchTheDateEpoch)
{
    EXPECT_EQ(DateTime::FromParts(1899, 12, 30).ToSerial(), 0.0);
    EXPECT_EQ(DateTime::FromParts(2024, 3, 1).ToSerial(), 45352.0);
    EXPECT_EQ(DateTime::FromSerial(45352.5), DateTime::FromParts(2024, 3, 1, 12));
    EXPECT_EQ(DateTime::FromParts(1899, 12, 29, 18).Day(), 29);
    EXPECT_EQ(DateTime::FromParts(1899, 12, 29, 18).Hour(), 18);
}

TEST(DateTime, dayStepsCrossMonthEnds)
{
    EXPECT_EQ(DateTime::FromParts(2024, 3, 1).AddDays(-1).DateText(), "2024-02-29");
    EXPECT_EQ(DateTime::FromParts(2023, 12, 31).AddDays(1).DateText(), "2024-01-01");
    EXPECT_EQ(DateTime::FromParts(2026, 12, 11).DayOfWeek(), 6);  // a Friday
}

struct ParseCase {
    const char* text;
    bool ok;
    const char* expected;
};

class DateTimeParse : public testing::TestWithParam<ParseCase> {};

TEST_P(DateTimeParse, acceptsDashOrDotSeparatorsOnly)
{
    const auto& c = GetParam();
    const auto d = DateTime::Parse(c.text);
    ASSERT_EQ(d.has_value(), c.ok) << c.text;
    if (c.ok) {
        EXPECT_EQ(d->DateTimeText(), c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, DateTimeParse, testing::Values(
    ParseCase{"2024-03-01", true, "2024-03-01 00:00:00"},
    ParseCase{"2024.3.1", true, "2024-03-01 00:00:00"},
    ParseCase{"2024-03-01 07:30:05", true, "2024-03-01 07:30:05"},
    ParseCase{"2024-03-01T07:30", true, "2024-03-01 07:30:00"},
    ParseCase{"2024-03-01 07:30:05.250", true, "2024-03-01 07:30:05"},
    ParseCase{"2024-02-30", false, ""},
    ParseCase{"2024-03.01", false, ""},
    ParseCase{"24-03-01", false, ""},
    ParseCase{"2024-03-01 25:00", false, ""},
    ParseCase{"2024-03-01x", false, ""},
    ParseCase{"", false, ""}));

TEST(DateTime, nowSourceIsReplaceable)
{
    DateTime::SetNowSource([] { return DateTime::FromParts(2015, 3, 9, 8, 5, 9); });
    EXPECT_EQ(DateTime::Now().DateTimeText(), "2015-03-09 08:05:09");
    EXPECT_EQ(DateTime::Today().DateTimeText(), "2015-03-09 00:00:00");
    DateTime::SetNowSource({});
    EXPECT_GT(DateTime::Now().Year(), 2000);
}
