#include "print/formatitemvalue.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <variant>
#include <vector>

#include "platform/textutil.h"
#include "print/decimaldigits.h"

namespace kiosk {

namespace {

constexpr int kMaxWidth = 1024;
constexpr int kMaxFloatDigits = 18;
constexpr std::string_view kCurrencySign = "￥";

struct Int32Arg { std::int32_t value; };
struct Int64Arg { std::int64_t value; };
using Argument = std::variant<double, Int32Arg, Int64Arg, std::string_view>;

struct Conversion {
    std::optional<int> index;
    bool left = false;
    std::optional<int> width;
    std::optional<int> precision;
    char type = 0;  // lower case
};

// Reads a decimal count of at most kMaxWidth; false for anything larger.
bool ReadCount(std::string_view p, std::size_t& i, int& value)
{
    value = 0;
    const std::size_t start = i;
    while (i < p.size() && p[i] >= '0' && p[i] <= '9') {
        value = value * 10 + (p[i] - '0');
        if (value > kMaxWidth) return false;
        ++i;
    }
    return i > start;
}

// Parses the placeholder after its '%'; false for a malformed or unsupported one ('*' asks
// for a second argument, which an item value never has).
bool ParseConversion(std::string_view p, std::size_t& i, Conversion& conv)
{
    int n = 0;
    std::size_t mark = i;
    if (ReadCount(p, i, n) && i < p.size() && p[i] == ':') {
        conv.index = n;
        ++i;
    } else {
        i = mark;
    }
    if (i < p.size() && p[i] == '-') {
        conv.left = true;
        ++i;
    }
    if (i < p.size() && p[i] >= '0' && p[i] <= '9') {
        if (!ReadCount(p, i, n)) return false;
        conv.width = n;
    }
    if (i < p.size() && p[i] == '.') {
        ++i;
        if (!ReadCount(p, i, n)) return false;
        conv.precision = n;
    }
    if (i >= p.size()) return false;
    conv.type = LowerCase(p.substr(i, 1))[0];
    ++i;
    return true;
}

std::size_t CodePointCount(std::string_view text)
{
    return std::size_t(std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The first `count` code points of a UTF-8 text.
std::string_view FirstCodePoints(std::string_view text, std::size_t count)
{
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (seen == count) return text.substr(0, i);
            ++seen;
        }
    }
    return text;
}

std::string ZeroPadded(std::string digits, std::optional<int> minDigits)
{
    if (minDigits && digits.size() < std::size_t(*minDigits)) digits.insert(0, std::size_t(*minDigits) - digits.size(), '0');
    return digits;
}

std::string Grouped(const std::string& integer)
{
    std::string out;
    for (std::size_t i = 0; i < integer.size(); ++i) {
        if (i > 0 && (integer.size() - i) % 3 == 0) out += ',';
        out += integer[i];
    }
    return out;
}

// Fixed notation rounded half away from zero on the value's decimal digits, as money is.
std::string FixedText(double value, int decimals, bool grouping)
{
    const TDecimalDigits d = TDecimalDigits(value).Rounded(decimals);
    const std::string integer = grouping ? Grouped(d.IntegerText()) : d.IntegerText();
    std::string text = (d.Negative() && !d.IsZero()) ? "-" : "";
    text += integer;
    if (decimals > 0) {
        text += '.';
        text += d.FractionText(decimals);
    }
    return text;
}

std::string ExponentText(int exponent, bool plusSign)
{
    std::string digits = ZeroPadded(IntToStr(exponent < 0 ? -exponent : exponent), 3);
    return std::string("E") + (exponent < 0 ? "-" : plusSign ? "+" : "") + digits;
}

// d.ddd…E±ddd with `significant` digits.
std::string ScientificText(double value, int significant, bool trimZeros)
{
    const TDecimalDigits d = TDecimalDigits(value).RoundedSignificant(significant);
    const int lead = d.LeadingPower();
    std::string mantissa;
    for (int k = 0; k < significant; ++k) mantissa += char('0' + d.DigitAt(lead - k));
    if (trimZeros)
        while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
    std::string text = (d.Negative() && !d.IsZero()) ? "-" : "";
    text += mantissa.substr(0, 1);
    if (mantissa.size() > 1) {
        text += '.';
        text += mantissa.substr(1);
    }
    return text + ExponentText(lead, !trimZeros);
}

// Shortest of fixed and scientific notation with `significant` digits, trailing zeros removed.
std::string GeneralText(double value, int significant)
{
    const TDecimalDigits d = TDecimalDigits(value).RoundedSignificant(significant);
    const int lead = d.LeadingPower();
    if (d.IsZero()) return "0";
    if (lead < -5 || lead >= significant) return ScientificText(value, significant, true);
    std::string text = FixedText(value, std::max(significant - 1 - lead, 0), false);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    return text;
}

std::optional<std::string> IntegerText(const Argument& arg, char type, std::optional<int> precision)
{
    std::int64_t v;
    bool narrow;
    if (const auto* i32 = std::get_if<Int32Arg>(&arg)) {
        v = i32->value;
        narrow = true;
    } else if (const auto* i64 = std::get_if<Int64Arg>(&arg)) {
        v = i64->value;
        narrow = false;
    } else {
        return std::nullopt;
    }
    const std::uint64_t bits = narrow ? std::uint64_t(std::uint32_t(v)) : std::uint64_t(v);
    if (type == 'd') {
        const std::string digits = v < 0 ? IntToStr(v).substr(1) : IntToStr(v);
        std::string text = v < 0 ? "-" : "";
        text += ZeroPadded(digits, precision);
        return text;
    }
    if (type == 'u') return ZeroPadded(std::to_string(bits), precision);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string hex;
    for (std::uint64_t b = bits; b != 0 || hex.empty(); b >>= 4) hex.insert(hex.begin(), kHex[b & 0xF]);
    return ZeroPadded(hex, precision);
}

std::optional<std::string> FloatText(const Argument& arg, char type, std::optional<int> precision)
{
    const auto* value = std::get_if<double>(&arg);
    if (!value) return std::nullopt;
    const int digits = std::min(precision.value_or(type == 'e' || type == 'g' ? 15 : 2), kMaxFloatDigits);
    switch (type) {
    case 'f': return FixedText(*value, digits, false);
    case 'n': return FixedText(*value, digits, true);
    case 'm': return std::string(kCurrencySign) + FixedText(*value, digits, true);
    case 'e': return ScientificText(*value, std::max(digits, 1), false);
    default: return GeneralText(*value, std::max(digits, 1));
    }
}

std::optional<std::string> ArgumentText(const Conversion& conv, const Argument& arg)
{
    switch (conv.type) {
    case 'd':
    case 'u':
    case 'x': return IntegerText(arg, conv.type, conv.precision);
    case 'e':
    case 'f':
    case 'g':
    case 'n':
    case 'm': return FloatText(arg, conv.type, conv.precision);
    case 's':
        if (const auto* s = std::get_if<std::string_view>(&arg))
            return std::string(conv.precision ? FirstCodePoints(*s, std::size_t(*conv.precision)) : *s);
        return std::nullopt;
    default: return std::nullopt;  // 'p' and anything unknown
    }
}

void AppendPadded(std::string& out, const std::string& text, const Conversion& conv)
{
    const std::size_t length = CodePointCount(text);
    const std::size_t pad = conv.width && std::size_t(*conv.width) > length ? std::size_t(*conv.width) - length : 0;
    if (!conv.left) out.append(pad, ' ');
    out += text;
    if (conv.left) out.append(pad, ' ');
}

// The pattern applied to one argument, or none when the pattern does not accept it.
std::optional<std::string> FormatWith(std::string_view pattern, const Argument& arg)
{
    std::string out;
    int next = 0;
    for (std::size_t i = 0; i < pattern.size();) {
        const char c = pattern[i++];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i < pattern.size() && pattern[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        Conversion conv;
        if (!ParseConversion(pattern, i, conv)) return std::nullopt;
        const int index = conv.index.value_or(next);
        if (index != 0) return std::nullopt;  // only one value is given
        next = index + 1;
        const auto text = ArgumentText(conv, arg);
        if (!text) return std::nullopt;
        AppendPadded(out, *text, conv);
    }
    return out;
}

} // namespace

std::string FormatItemValue(std::optional<std::string_view> pattern, std::string_view text)
{
    if (text.empty()) return {};
    if (!pattern) return std::string(text);
    std::vector<Argument> attempts;
    double f;
    if (TryStrToFloat(text, f)) attempts.emplace_back(f);
    std::int64_t i;
    if (TryStrToInt64(text, i)) {
        if (i >= std::numeric_limits<std::int32_t>::min() && i <= std::numeric_limits<std::int32_t>::max())
            attempts.emplace_back(Int32Arg{std::int32_t(i)});
        attempts.emplace_back(Int64Arg{i});
    }
    attempts.emplace_back(text);
    for (const auto& arg : attempts)
        if (auto result = FormatWith(*pattern, arg)) return *result;
    return std::string(text);
}

} // namespace kiosk
