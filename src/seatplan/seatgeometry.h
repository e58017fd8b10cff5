#pragma once
// Pixel arithmetic of a seat cell, kept apart from the drawing so it can be checked without a
// screen: where the picture goes, where the status overlay goes, how the bottom text is fitted,
// and the grey level of a masked cell.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "seatplan/seattypes.h"

namespace kiosk {

// A rectangle as the grid hands it to a cell: right and bottom are exclusive.
struct TCellRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    friend bool operator==(const TCellRect&, const TCellRect&) = default;
};

// num / den rounded to the nearest integer, halves to the even neighbour (den > 0, num >= 0).
std::int64_t RoundHalfEven(std::int64_t num, std::int64_t den);

// Where a W × H picture is drawn in `cell` above a text band of `bandHeight` pixels: unscaled
// and centred when it fits, otherwise stretched to the picture area keeping its aspect ratio.
// Empty when there is no picture area or no picture.
TCellRect FitPicture(const TCellRect& cell, int bandHeight, int width, int height);

// The rectangle a w × h status overlay is stretched into: its corner of the cell, at most the
// quarter of the cell there.
TCellRect StatusPictureRect(const TCellRect& cell, int width, int height, TStatusPicturePosition position);

// Font measures the text fitting needs at one font size (pixels): the line height and the width
// of the widest character, "中".
struct TTextMetrics {
    int height = 0;
    int widest = 0;
};
using TTextMetricsAt = std::function<TTextMetrics(int fontSize)>;

// The text cut into lines and the font size that makes it fit a rectangle.
struct TFittedText {
    int fontSize = 0;
    int lineHeight = 0;
    std::vector<std::string> lines;
};

// The smallest font size the fitting goes down to; text that does not fit even then is drawn at
// this size in as many lines as the rectangle's height takes, and clipped.
inline constexpr int kMinFittedFontSize = 6;

// Fits `text` into a width × height rectangle: tries 1, 2, ... lines while they fit the height,
// each line ceil(len / k) characters estimated as that many "中"; the first count whose estimate
// fits the width wins; when none does, the font size goes down by one and the search restarts.
TFittedText FitCellText(std::string_view text, int width, int height, int fontSize, const TTextMetricsAt& metrics);

// The grey of a masked cell: 0.299 R + 0.518 G + 0.114 B, rounded, at most 255.
std::uint8_t GreyLevel(std::uint8_t r, std::uint8_t g, std::uint8_t b);

// Splits UTF-8 text into its characters (code points); a stray byte counts as one character.
std::vector<std::string_view> Utf8Characters(std::string_view text);

} // namespace kiosk
