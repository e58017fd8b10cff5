#include <gtest/gtest.h>

#include "core/idcardfile.h"

using namespace kiosk;

namespace {

std::u16string FromUtf8(std::string_view s)
{
    std::u16string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        char32_t cp = c;
        std::size_t len = 1;
        if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; len = 2; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; len = 3; }
        for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out += static_cast<char16_t>(cp);
        i += len;
    }
    return out;
}

std::u16string F(std::string_view v, std::size_t width)
{
    std::u16string f = FromUtf8(v);
    f.resize(width, u' ');
    return f;
}

std::string Bytes(const std::u16string& text)
{
    std::string b;
    for (char16_t c : text) {
        b += static_cast<char>(c & 0xFF);
        b += static_cast<char>(c >> 8);
    }
    return b;
}

struct Card {
    std::string name = "张三", sex = "1", nation = "01", birth = "19800101", addr = "广东省广州市天河区体育西路1号",
                id = "440101198001010011", dep = "广州市公安局", from = "20200101", to = "20400101", newAddr = "";
    std::u16string Text() const
    {
        return F(name, 15) + F(sex, 1) + F(nation, 2) + F(birth, 8) + F(addr, 35) + F(id, 18) + F(dep, 15) + F(from, 8) +
               F(to, 8) + F(newAddr, 35);
    }
};

} // namespace

TEST(IdCardFile, allFieldsOfAWellFormedCard)
{
    const TIDCardFields c = ParseIdCardText(Bytes(Card().Text()) + std::string("\0\0garbage", 9));
    EXPECT_EQ(c.FName, "张三");
    EXPECT_EQ(c.FSex, "男");
    EXPECT_EQ(c.FMZ, "汉");
    EXPECT_EQ(c.FBday.DateText(), "1980-01-01");
    EXPECT_EQ(c.FAddr, "广东省广州市天河区体育西路1号");
    EXPECT_EQ(c.FID, "440101198001010011");
    EXPECT_EQ(c.FDep, "广州市公安局");
    ASSERT_TRUE(c.FVld_S && c.FVld_E);
    EXPECT_EQ(c.FVld_S->DateText(), "2020-01-01");
    EXPECT_EQ(c.FVld_E->DateText(), "2040-01-01");
    EXPECT_EQ(c.FNewAddr, "");
}

TEST(IdCardFile, codesAndUnlimitedValidity)
{
    struct Case {
        std::string sex, nation, to;
        const char* expectedSex;
        const char* expectedNation;
        bool hasEnd;
    };
    const Case cases[] = {
        {"2", "01", "长期", "女", "汉", false},
        {"1", "99", "20301231", "男", "未知", true},
        {"9", "  ", "长期", "女", "未知", false},
        {"1", "56", "长期", "男", "基诺", false},
        {"1", "98", "20300101", "男", "外国血统中国籍人士", true},
    };
    for (const auto& k : cases) {
        Card card;
        card.sex = k.sex;
        card.nation = k.nation;
        card.to = k.to;
        card.newAddr = "新地址";
        const TIDCardFields c = ParseIdCardText(Bytes(card.Text()));
        EXPECT_EQ(c.FSex, k.expectedSex) << k.sex;
        EXPECT_EQ(c.FMZ, k.expectedNation) << k.nation;
        EXPECT_EQ(c.FVld_E.has_value(), k.hasEnd) << k.to;
        // A field that does not convert never shifts the ones after it.
        EXPECT_EQ(c.FID, "440101198001010011") << k.nation;
        EXPECT_EQ(c.FNewAddr, "新地址") << k.to;
    }
}

TEST(IdCardFile, badDatesTakeTheirFallbacks)
{
    Card card;
    card.birth = "19801340";
    card.from = "abcdefgh";
    const TIDCardFields c = ParseIdCardText(Bytes(card.Text()));
    EXPECT_EQ(c.FBday.DateText(), "1900-01-01");
    EXPECT_FALSE(c.FVld_S);
    EXPECT_EQ(c.FVld_E->DateText(), "2040-01-01");
}

TEST(IdCardFile, truncatedEmptyAndInvalidFiles)
{
    // A field the file ends inside keeps its part; the fields after it are empty.
    const std::u16string whole = Card().Text();
    const TIDCardFields cut = ParseIdCardText(Bytes(whole.substr(0, 15 + 1 + 2 + 8 + 35 + 6)));
    EXPECT_EQ(cut.FName, "张三");
    EXPECT_EQ(cut.FBday.DateText(), "1980-01-01");
    EXPECT_EQ(cut.FAddr, "广东省广州市天河区体育西路1号");
    EXPECT_EQ(cut.FID, "440101");
    EXPECT_EQ(cut.FDep, "");
    EXPECT_FALSE(cut.FVld_S);

    // A blank ID number stays blank: no card number for the login.
    Card blank;
    blank.id = "";
    EXPECT_EQ(ParseIdCardText(Bytes(blank.Text())).FID, "");

    const TIDCardFields empty = ParseIdCardText("");
    EXPECT_EQ(empty.FName, "");
    EXPECT_EQ(empty.FSex, "女");
    EXPECT_EQ(empty.FMZ, "未知");
    EXPECT_EQ(empty.FBday.DateText(), "1900-01-01");
    EXPECT_EQ(empty.FID, "");

    // Lone surrogates and an odd trailing byte never break the reading.
    std::string bad = Bytes(whole);
    bad[0] = '\x00';
    bad[1] = '\xD8';
    bad += 'x';
    const TIDCardFields invalid = ParseIdCardText(bad);
    EXPECT_EQ(invalid.FID, "440101198001010011");
}
