#include "data/controls/valuetype.h"

#include <algorithm>
#include <vector>

namespace kiosk {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes UTF-8 into characters; a byte that does not start a well-formed sequence counts as
// one character U+FFFD.
std::u32string Decode(std::string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        int length = 0;
        char32_t cp = 0;
        if (b0 < 0x80) { length = 1; cp = b0; }
        else if (b0 >= 0xC2 && b0 <= 0xDF) { length = 2; cp = b0 & 0x1F; }
        else if (b0 >= 0xE0 && b0 <= 0xEF) { length = 3; cp = b0 & 0x0F; }
        else if (b0 >= 0xF0 && b0 <= 0xF4) { length = 4; cp = b0 & 0x07; }
        bool good = length > 0 && i + std::size_t(length) <= text.size();
        for (int k = 1; good && k < length; ++k) {
            const auto b = static_cast<unsigned char>(text[i + std::size_t(k)]);
            good = (b & 0xC0) == 0x80;
            cp = (cp << 6) | (b & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not characters.
        if (good && ((length == 3 && cp < 0x800) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
                     (cp >= 0xD800 && cp <= 0xDFFF)))
            good = false;
        if (!good) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += std::size_t(length);
    }
    return out;
}

std::string Encode(std::u32string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t cp : text) {
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xC0 | (cp >> 6)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(char(0xE0 | (cp >> 12)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (cp >> 18)));
            out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

int Clamp(int position, int length) { return std::clamp(position, 0, length); }

// The characters of a text that a rule keeps, with the number of kept characters in front of
// every position of the original text (so a caret can follow its character).
struct Kept {
    std::u32string text;
    std::vector<int> before; // before[p] = kept characters among the first p
};

template <typename Keep>
Kept KeepCharacters(const std::u32string& text, Keep keep)
{
    Kept kept;
    kept.before.reserve(text.size() + 1);
    kept.before.push_back(0);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (keep(i, text[i])) kept.text.push_back(text[i]);
        kept.before.push_back(int(kept.text.size()));
    }
    return kept;
}

struct Positions {
    int anchor, caret;
};

Positions Follow(const Kept& kept, Positions original)
{
    const int length = int(kept.before.size()) - 1;
    return {kept.before[std::size_t(Clamp(original.anchor, length))],
            kept.before[std::size_t(Clamp(original.caret, length))]};
}

Kept KeepNumber(const std::u32string& text, bool allowMinus)
{
    bool pointSeen = false;
    return KeepCharacters(text, [&](std::size_t i, char32_t c) {
        if (IsDigit(c)) return true;
        if (c == U'.' && !pointSeen) return pointSeen = true;
        return allowMinus && c == U'-' && i == 0;
    });
}

// "HH:MM": the digits among the first five characters go to their own place in "00:00", the
// colon's place excepted, then each digit is held to what a time of day allows.
std::u32string CleanTime(const std::u32string& text)
{
    std::u32string time = U"00:00";
    for (std::size_t i = 0; i < std::min<std::size_t>(5, text.size()); ++i)
        if (i != 2 && IsDigit(text[i])) time[i] = text[i];
    if (time[0] > U'2') time[0] = U'0';
    if (time[0] == U'2' && time[1] >= U'4') time[1] = U'0';
    if (time[3] >= U'6') time[3] = U'0';
    return time;
}

int DaysInMonth(int year, int month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

int DigitsValue(const std::u32string& text, std::size_t from, std::size_t count)
{
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) value = value * 10 + int(text[i] - U'0');
    return value;
}

void PutTwoDigits(std::u32string& text, std::size_t at, int value)
{
    text[at] = char32_t(U'0' + value / 10);
    text[at + 1] = char32_t(U'0' + value % 10);
}

// "yyyymmdd" from eight digits: each digit is held to what its place allows as it is typed
// over, then the day to the length of the month.
void LimitDate(std::u32string& date)
{
    if (date[0] > U'2') date[0] = U'2';
    if (date[4] > U'1') date[4] = U'0';
    if (date[4] == U'1' && date[5] > U'2') date[5] = U'1';
    if (date[4] == U'0' && date[5] == U'0') date[5] = U'1';
    if (date[6] > U'3') date[6] = U'0';
    if (date[6] == U'3' && date[7] > U'1') date[7] = U'1';
    if (date[6] == U'0' && date[7] == U'0') date[7] = U'1';
    const int year = DigitsValue(date, 0, 4);
    const int month = DigitsValue(date, 4, 2);
    const int lastDay = DaysInMonth(year, month);
    if (DigitsValue(date, 6, 2) > lastDay) PutTwoDigits(date, 6, lastDay);
}

std::u32string CleanDate(const std::u32string& digits, const TCleanOptions& options)
{
    std::u32string date = digits.size() < 8 ? Decode(options.Today.Format("yyyymmdd")) : digits.substr(0, 8);
    LimitDate(date);
    return date;
}

TEditText Result(const std::u32string& text, Positions positions)
{
    const int length = int(text.size());
    return {Encode(text), Clamp(positions.anchor, length), Clamp(positions.caret, length)};
}

} // namespace

TEditText CleanValueText(TValueType type, const TEditText& input, const TCleanOptions& options)
{
    const std::u32string text = Decode(input.Text);
    const Positions original{input.Anchor, input.Caret};
    switch (type) {
    case ssNumber:
    case ssDouble: {
        const Kept kept = KeepNumber(text, type == ssDouble);
        if (kept.text.empty() && !options.DoNilWhenNum) return Result(U"0", {1, 1});
        return Result(kept.text, Follow(kept, original));
    }
    case ssTicket: {
        const Kept kept = KeepCharacters(text, [](std::size_t, char32_t c) { return IsDigit(c); });
        return Result(kept.text, Follow(kept, original));
    }
    case ssHHMM: {
        // The caret keeps its place in the fixed form; one standing before the colon steps over it.
        auto place = [&](int p) { return Clamp(p, 5) == 2 ? 3 : p; };
        return Result(CleanTime(text), {place(original.anchor), place(original.caret)});
    }
    case ssYYYYMMDD: {
        const Kept kept = KeepCharacters(text, [](std::size_t, char32_t c) { return IsDigit(c); });
        return Result(CleanDate(kept.text, options), Follow(kept, original));
    }
    case ssString:
    default: {
        const Kept kept = KeepCharacters(text, [](std::size_t, char32_t c) { return c != U'\''; });
        return Result(kept.text, Follow(kept, original));
    }
    }
}

int OverwritePosition(TValueType type, int caret)
{
    return type == ssHHMM && caret == 2 ? 3 : caret;
}

} // namespace kiosk
