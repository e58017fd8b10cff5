#include <gtest/gtest.h>

#include "platform/value.h"

using namespace kiosk;

TEST(Value, nullAndKinds)
{
    EXPECT_TRUE(Value().IsNull());
    EXPECT_EQ(Value(std::int64_t(5)).kind(), Value::Kind::Integer);
    EXPECT_EQ(Value("粤A").text(), "粤A");
    EXPECT_EQ(Value(), Value(nullptr));
    EXPECT_NE(Value(0), Value());
}

TEST(Value, lenientConversions)
{
    std::int64_t i = -1;
    EXPECT_TRUE(Value(" 123 ").TryToInt64(i));
    EXPECT_EQ(i, 123);
    EXPECT_FALSE(Value("12x").TryToInt64(i));
    EXPECT_FALSE(Value(1e300).TryToInt64(i));
    double d = 0;
    EXPECT_TRUE(Value("45.5").TryToDouble(d));
    EXPECT_EQ(d, 45.5);
    bool b = false;
    EXPECT_TRUE(Value("TRUE").TryToBool(b));
    EXPECT_TRUE(b);
    EXPECT_FALSE(Value("maybe").TryToBool(b));
    DateTime t;
    EXPECT_TRUE(Value("2024-03-01 07:30:00").TryToDateTime(t));
    EXPECT_EQ(Value(t).ToText(), "2024-03-01 07:30:00");
    EXPECT_EQ(Value(DateTime::FromParts(2024, 3, 1)).ToText(), "2024-03-01");
    EXPECT_EQ(Value(0.3).ToText(), "0.3");
    EXPECT_EQ(Value().ToText(), "");
}
