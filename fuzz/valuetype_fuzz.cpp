// Cleaning rules of the edits' value types over arbitrary text. Input layout: byte 0 picks the
// value type, byte 1 bit 0 sets DoNilWhenNum, bytes 2 and 3 are the anchor and the caret, the
// rest is the text. Whatever the text, the cleaned text must satisfy its type's own rule (checked
// here by an independent grammar), cleaning it again must change nothing, and the selection must
// stay inside it.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "data/controls/valuetype.h"
#include "platform/textutil.h"

using namespace kiosk;

namespace {

void Require(bool condition)
{
    if (!condition) std::abort();
}

bool AllDigits(std::string_view text)
{
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

int Number(std::string_view digits)
{
    int value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
}

bool IsNumberText(std::string_view text, bool minusAllowed, bool emptyAllowed)
{
    if (minusAllowed && !text.empty() && text.front() == '-') text.remove_prefix(1);
    else if (text.empty()) return emptyAllowed;
    int points = 0;
    for (char c : text) {
        if (c == '.') ++points;
        else if (c < '0' || c > '9') return false;
    }
    return points <= 1;
}

bool IsTimeText(std::string_view text)
{
    return text.size() == 5 && text[2] == ':' && AllDigits(text.substr(0, 2)) && AllDigits(text.substr(3)) &&
           Number(text.substr(0, 2)) < 24 && Number(text.substr(3)) < 60;
}

bool IsDateText(std::string_view text)
{
    if (text.size() != 8 || !AllDigits(text) || text[0] > '2') return false;
    const int year = Number(text.substr(0, 4)), month = Number(text.substr(4, 2)), day = Number(text.substr(6));
    if (month < 1 || month > 12 || day < 1) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int days[] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return day <= days[month - 1];
}

bool SatisfiesRule(TValueType type, std::string_view text, bool doNil)
{
    switch (type) {
    case ssString: return text.find('\'') == std::string_view::npos;
    case ssNumber: return IsNumberText(text, false, doNil);
    case ssDouble: return IsNumberText(text, true, doNil);
    case ssTicket: return AllDigits(text);
    case ssHHMM: return IsTimeText(text);
    case ssYYYYMMDD: return IsDateText(text);
    }
    return false;
}

int CharacterCount(std::string_view utf8)
{
    int count = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4) return 0;
    const auto type = static_cast<TValueType>(data[0] % 6);
    TCleanOptions options;
    options.DoNilWhenNum = (data[1] & 1) != 0;
    options.Today = DateTime::FromParts(2024, 2, 29);
    const TEditText input{std::string(reinterpret_cast<const char*>(data + 4), size - 4), data[2], data[3]};

    const TEditText once = CleanValueText(type, input, options);
    Require(IsValidUtf8(once.Text));
    Require(SatisfiesRule(type, once.Text, options.DoNilWhenNum));
    const int length = CharacterCount(once.Text);
    Require(once.Anchor >= 0 && once.Anchor <= length && once.Caret >= 0 && once.Caret <= length);

    const TEditText twice = CleanValueText(type, once, options);
    Require(twice.Text == once.Text);
    return 0;
}
