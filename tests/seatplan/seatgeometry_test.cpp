// Pixel arithmetic of a seat cell.
#include <gtest/gtest.h>

#include "seatplan/seatgeometry.h"

namespace kiosk {
namespace {

TEST(SeatGeometry, HalvesRoundToTheEvenNeighbour)
{
    struct Case { std::int64_t num, den, result; };
    for (const Case& c : std::vector<Case>{{95, 2, 48}, {93, 2, 46}, {9500, 200, 48}, {9400, 200, 47},
                                           {10, 3, 3}, {11, 3, 4}, {1, 2, 0}, {3, 2, 2}, {0, 7, 0}}) {
        SCOPED_TRACE(testing::Message() << c.num << "/" << c.den);
        EXPECT_EQ(RoundHalfEven(c.num, c.den), c.result);
    }
}

TEST(SeatGeometry, PictureIsFittedIntoTheAreaAboveTheTextBand)
{
    const TCellRect cell{0, 0, 95, 100};
    struct Case { int band, w, h; TCellRect drawn; };
    const std::vector<Case> cases{
        {30, 200, 100, {0, 11, 95, 59}},  // 47.5 rounds to 48, centred 11 px from the top
        {30, 40, 30, {27, 20, 67, 50}},   // fits: unscaled and centred
        {30, 50, 140, {35, 0, 60, 70}},   // tall: full height, 50 * 70 / 140 = 25 wide, centred
        {30, 190, 140, {0, 0, 95, 70}},   // same ratio as the area
        {100, 10, 10, {}},                // no picture area left
        {30, 0, 10, {}},                  // no picture
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        EXPECT_EQ(FitPicture(cell, c.band, c.w, c.h), c.drawn);
    }
    EXPECT_EQ(FitPicture({100, 200, 195, 300}, 30, 200, 100), (TCellRect{100, 211, 195, 259}));
}

TEST(SeatGeometry, OverlayTakesAtMostTheQuarterAtItsCorner)
{
    const TCellRect cell{0, 0, 95, 100};
    struct Case { TStatusPicturePosition pos; int w, h; TCellRect r; };
    const std::vector<Case> cases{
        {TStatusPicturePosition::sprighttop, 64, 64, {47, 0, 95, 50}},
        {TStatusPicturePosition::splefttop, 64, 64, {0, 0, 47, 50}},
        {TStatusPicturePosition::sprightbottom, 64, 64, {47, 50, 95, 100}},
        {TStatusPicturePosition::spleftbottom, 64, 64, {0, 50, 47, 100}},
        {TStatusPicturePosition::sprighttop, 20, 16, {75, 0, 95, 16}},
        {TStatusPicturePosition::spleftbottom, 20, 16, {0, 84, 20, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.pos));
        EXPECT_EQ(StatusPictureRect(cell, c.w, c.h, c.pos), c.r);
    }
}

// A font whose line height is its size and whose "中" is as wide as the size.
TTextMetrics SquareFont(int size) { return {size, size}; }

TEST(SeatGeometry, TextKeepsItsSizeOnOneLineWhenItFits)
{
    const TFittedText fit = FitCellText("12", 95, 20, 20, SquareFont);
    EXPECT_EQ(fit.fontSize, 20);
    EXPECT_EQ(fit.lines, (std::vector<std::string>{"12"}));
}

TEST(SeatGeometry, LongTextShrinksUntilItFitsInLinesOfEqualCharacterCount)
{
    // Seven characters: one line is too wide for 95 down to 13 px; two lines fit the height of 40
    // from 20 px down, and at 20 px two lines of four characters are 80 wide.
    const TFittedText two = FitCellText("12-南京东站", 95, 40, 24, SquareFont);
    EXPECT_EQ(two.fontSize, 20);
    EXPECT_EQ(two.lines, (std::vector<std::string>{"12-南", "京东站"}));

    const TFittedText one = FitCellText("12-南京东站", 95, 20, 20, SquareFont);
    EXPECT_EQ(one.fontSize, 13);  // 7 × 13 = 91
    EXPECT_EQ(one.lines.size(), 1u);
}

TEST(SeatGeometry, TextFittingStopsAtTheSmallestFontSize)
{
    const TFittedText fit = FitCellText("很长很长很长很长很长很长很长很长很长很长", 20, 13, 30, SquareFont);
    EXPECT_EQ(fit.fontSize, kMinFittedFontSize);
    EXPECT_EQ(fit.lines.size(), 2u);  // as many 6 px lines as 13 px take
}

TEST(SeatGeometry, GreyMaskWeighsGreenAtPoint518)
{
    EXPECT_EQ(GreyLevel(255, 255, 255), 237);
    EXPECT_EQ(GreyLevel(0, 255, 0), 132);
    EXPECT_EQ(GreyLevel(255, 0, 0), 76);
    EXPECT_EQ(GreyLevel(0, 0, 255), 29);
    EXPECT_EQ(GreyLevel(0, 0, 0), 0);
}

TEST(SeatGeometry, CharactersAreCodePoints)
{
    EXPECT_EQ(Utf8Characters("1南-").size(), 3u);
    EXPECT_EQ(Utf8Characters("\xff" "a").size(), 2u);
}

} // namespace
} // namespace kiosk
