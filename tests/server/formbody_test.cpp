// The request body as the kiosk writes it: split into parameters and values unescaped exactly.
#include "formbody.h"
#include "support/stationd_fixture.h"

#include <gtest/gtest.h>

namespace stationd {
namespace {

struct DecodeCase {
    const char* raw;
    const char* plain;
};

TEST(FormBody, decodesExactlyTheKioskEscapesInOnePass)
{
    const DecodeCase cases[] = {
        {"a&amp;b&lt;c&gt;%25%3F", "a&b<c>%?"},
        {"x+y z", "x+y z"},
        {"a=b", "a=b"},
        {"&quot;q&quot;", "\"q\""},
        {"%253F", "%3F"},
        {"&amp;amp;", "&amp;"},
        {"%3f", "?"},
        {"50%", "50%"},
        {"%41%2", "%41%2"},
        {"粤A12345#/", "粤A12345#/"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeFormValue(c.raw), c.plain) << c.raw;
}

TEST(FormBody, splitsPairsWithoutBreakingEscapedAmpersands)
{
    const auto params = ParseFormBody("&ticketentrance=A&amp;B&filter_EQL_sp!id=7001&vehicle.gprs=x=y&empty=");
    ASSERT_EQ(params.size(), 4u);
    EXPECT_EQ(params[0], (std::pair<std::string, std::string>{"ticketentrance", "A&B"}));
    EXPECT_EQ(params[1], (std::pair<std::string, std::string>{"filter_EQL_sp!id", "7001"}));
    EXPECT_EQ(params[2], (std::pair<std::string, std::string>{"vehicle.gprs", "x=y"}));
    EXPECT_EQ(params[3], (std::pair<std::string, std::string>{"empty", ""}));
    EXPECT_TRUE(ParseFormBody("").empty());
    EXPECT_EQ(ParseFormBody("a=1&&b=2").size(), 2u);
}

TEST(FormBody, givesBackWhatTheKioskEncoded)
{
    const std::string values[] = {"a&b<c>%?", "&amp;", "%3F%25", "\"quoted\" & 'single'", "x+y z=1", "中文&?", "&", "?&="};
    for (const auto& value : values) {
        const auto params = ParseFormBody(test::KioskBody({{"v", value}, {"w", value}}));
        ASSERT_EQ(params.size(), 2u) << value;
        EXPECT_EQ(params[0].second, value);
        EXPECT_EQ(params[1].second, value);
    }
}

TEST(FormBody, refusesBodiesThatCannotBeSplit)
{
    const std::string bodies[] = {"&abc", "&=1", "&a=1&a=2", std::string("&a=\xff"), std::string("&a=1\0b", 6),
                                  "&a=\xe4\xb8", "&a=\xed\xa0\x80"};
    for (const auto& body : bodies)
        EXPECT_THROW(ParseFormBody(body), FormError) << body;
}

} // namespace
} // namespace stationd
