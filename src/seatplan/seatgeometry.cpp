#include "seatplan/seatgeometry.h"

#include <algorithm>

namespace kiosk {

std::int64_t RoundHalfEven(std::int64_t num, std::int64_t den)
{
    const std::int64_t q = num / den;
    const std::int64_t twice = 2 * (num % den);
    if (twice > den || (twice == den && q % 2 != 0)) return q + 1;
    return q;
}

TCellRect FitPicture(const TCellRect& cell, int bandHeight, int width, int height)
{
    const int cw = cell.Width();
    const int ah = cell.Height() - bandHeight;
    if (width <= 0 || height <= 0 || cw <= 0 || ah <= 0) return {};

    const int x = cell.left + (cw - width) / 2;
    const int y = cell.top + (ah - height) / 2;
    if (x >= cell.left && y >= cell.top) return {x, y, x + width, y + height};

    // Compare cw / ah with W / H without division.
    const std::int64_t areaSide = std::int64_t(cw) * height;
    const std::int64_t pictureSide = std::int64_t(width) * ah;
    if (areaSide < pictureSide) {
        const int h = int(RoundHalfEven(std::int64_t(height) * cw, width));
        const int top = cell.top + (ah - h) / 2;
        return {cell.left, top, cell.right, top + h};
    }
    if (areaSide > pictureSide) {
        const int w = int(RoundHalfEven(std::int64_t(width) * ah, height));
        const int left = cell.left + (cw - w) / 2;
        return {left, cell.top, left + w, cell.top + ah};
    }
    return {cell.left, cell.top, cell.right, cell.top + ah};
}

TCellRect StatusPictureRect(const TCellRect& cell, int width, int height, TStatusPicturePosition position)
{
    const int mx = (cell.left + cell.right) / 2;
    const int my = (cell.top + cell.bottom) / 2;
    const bool left = position == TStatusPicturePosition::splefttop || position == TStatusPicturePosition::spleftbottom;
    const bool top = position == TStatusPicturePosition::splefttop || position == TStatusPicturePosition::sprighttop;
    TCellRect r;
    if (left) {
        r.left = cell.left;
        r.right = std::min(cell.left + width, mx);
    } else {
        r.left = std::max(cell.right - width, mx);
        r.right = cell.right;
    }
    if (top) {
        r.top = cell.top;
        r.bottom = std::min(cell.top + height, my);
    } else {
        r.top = std::max(cell.bottom - height, my);
        r.bottom = cell.bottom;
    }
    return r;
}

std::vector<std::string_view> Utf8Characters(std::string_view text)
{
    std::vector<std::string_view> chars;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t n = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
        std::size_t len = 1;
        while (len < n && i + len < text.size() && (static_cast<unsigned char>(text[i + len]) & 0xC0) == 0x80) ++len;
        chars.push_back(text.substr(i, len));
        i += len;
    }
    return chars;
}

namespace {

std::vector<std::string> CutIntoLines(const std::vector<std::string_view>& chars, int lineCount)
{
    const std::size_t per = (chars.size() + lineCount - 1) / lineCount;
    std::vector<std::string> lines(lineCount);
    for (std::size_t i = 0; i < chars.size(); ++i) lines[i / per].append(chars[i]);
    return lines;
}

} // namespace

TFittedText FitCellText(std::string_view text, int width, int height, int fontSize, const TTextMetricsAt& metrics)
{
    const auto chars = Utf8Characters(text);
    const int len = int(chars.size());
    if (len == 0) return {fontSize, metrics(fontSize).height, {}};

    for (int size = fontSize;; --size) {
        const TTextMetrics m = metrics(size);
        const int lineHeight = std::max(m.height, 1);
        for (int k = 1; k * lineHeight <= height; ++k) {
            const int per = (len + k - 1) / k;
            if (per * m.widest <= width) return {size, lineHeight, CutIntoLines(chars, k)};
            if (per == 1) break;  // more lines cannot make one character narrower
        }
        if (size <= kMinFittedFontSize) {
            const int k = std::clamp(height / lineHeight, 1, len);
            return {size, lineHeight, CutIntoLines(chars, k)};
        }
    }
}

std::uint8_t GreyLevel(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    // In thousandths, so the weights are exact.
    const int level = (299 * r + 518 * g + 114 * b + 500) / 1000;
    return static_cast<std::uint8_t>(std::min(level, 255));
}

} // namespace kiosk
