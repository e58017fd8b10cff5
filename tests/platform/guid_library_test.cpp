#include <gtest/gtest.h>

#include <set>

#include "platform/guid.h"
#include "platform/sharedlibrary.h"

using namespace kiosk;

TEST(Guid, bracedUpperCaseRoundTrip)
{
    const auto g = TGUID::Parse("{aecd69eb-d852-49a8-82a9-bcae582e1dc4}");
    ASSERT_TRUE(g);
    EXPECT_EQ(g->ToString(), "{AECD69EB-D852-49A8-82A9-BCAE582E1DC4}");
    EXPECT_EQ(TGUID::Parse("AECD69EB-D852-49A8-82A9-BCAE582E1DC4"), g);
    EXPECT_FALSE(TGUID::Parse("{AECD69EB-D852-49A8-82A9-BCAE582E1DC}"));
    EXPECT_FALSE(TGUID::Parse("{AECD69EB+D852-49A8-82A9-BCAE582E1DC4}"));
    EXPECT_FALSE(TGUID::Parse("(AECD69EB-D852-49A8-82A9-BCAE582E1DC4)"));
}

TEST(Guid, freshGuidsDifferAndAreVersionFour)
{
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        const std::string text = NewGuidText();
        ASSERT_EQ(text.size(), 38u);
        EXPECT_EQ(text[15], '4');
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 1000u);
}

TEST(SharedLibrary, loadsFindsSymbolsAndReportsErrors)
{
    SharedLibrary lib;
    ASSERT_TRUE(lib.Load(KIOSK_TEST_PLUGIN)) << lib.ErrorText();
    auto answer = lib.Function<int (*)()>("kiosk_test_answer");
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(lib.Symbol("no_such_symbol"), nullptr);
    EXPECT_NE(lib.ErrorText().find("no_such_symbol"), std::string::npos);

    SharedLibrary missing;
    EXPECT_FALSE(missing.Load("/nonexistent/libnothing.so"));
    EXPECT_FALSE(missing.ErrorText().empty());
    EXPECT_EQ(missing.Symbol("x"), nullptr);
}
