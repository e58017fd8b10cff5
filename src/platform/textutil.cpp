#include "platform/textutil.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace kiosk {

namespace {

bool IsBlank(unsigned char c) { return c <= 0x20; }

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

std::string TrimLeft(std::string_view text)
{
    std::size_t b = 0;
    while (b < text.size() && IsBlank(static_cast<unsigned char>(text[b]))) ++b;
    return std::string(text.substr(b));
}

std::string TrimRight(std::string_view text)
{
    std::size_t e = text.size();
    while (e > 0 && IsBlank(static_cast<unsigned char>(text[e - 1]))) --e;
    return std::string(text.substr(0, e));
}

std::string Trim(std::string_view text)
{
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && IsBlank(static_cast<unsigned char>(text[b]))) ++b;
    while (e > b && IsBlank(static_cast<unsigned char>(text[e - 1]))) --e;
    return std::string(text.substr(b, e - b));
}

std::string UpperCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string LowerCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

bool StartsText(std::string_view prefix, std::string_view text)
{
    return text.size() >= prefix.size() && SameText(prefix, text.substr(0, prefix.size()));
}

std::string Utf16LeToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    const std::size_t units = bytes.size() / 2;
    auto unit = [&](std::size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    };
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
            const char16_t v = unit(i + 1);
            if (v >= 0xDC00 && v <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(v) - 0xDC00));
                ++i;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF)
            AppendUtf8(out, 0xFFFD);
        else
            AppendUtf8(out, u);
    }
    return out;
}

bool IsValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t len;
        char32_t cp;
        if (c < 0x80) { ++i; continue; }
        if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; }
        else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; }
        else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; }
        else return false;
        if (i + len > n) return false;
        for (std::size_t k = 1; k < len; ++k) {
            const auto d = static_cast<unsigned char>(text[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) ||
            cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

bool HexToBytes(std::string_view hex, std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    if (hex.size() % 2 != 0) return false;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int hi = HexDigit(hex[i]);
        const int lo = HexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0) {
            bytes.clear();
            return false;
        }
        bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    }
    return true;
}

std::string Format(std::string_view pattern, std::initializer_list<std::string_view> args)
{
    std::string out;
    out.reserve(pattern.size() + 32);
    auto next = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size()) {
            const char k = pattern[i + 1];
            if (k == '%') { out += '%'; ++i; continue; }
            if (k == 's' || k == 'd') {
                if (next != args.end()) out.append(*next++);
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::string IntToStr(std::int64_t value) { return std::to_string(value); }

bool TryStrToInt64(std::string_view text, std::int64_t& value)
{
    std::string t = Trim(text);
    std::string_view v = t;
    if (!v.empty() && v.front() == '+') v.remove_prefix(1);
    if (v.empty()) return false;
    const auto r = std::from_chars(v.data(), v.data() + v.size(), value);
    return r.ec == std::errc() && r.ptr == v.data() + v.size();
}

bool TryStrToFloat(std::string_view text, double& value)
{
    std::string t = Trim(text);
    std::string_view v = t;
    if (!v.empty() && v.front() == '+') v.remove_prefix(1);
    if (v.empty()) return false;
    const auto r = std::from_chars(v.data(), v.data() + v.size(), value);
    return r.ec == std::errc() && r.ptr == v.data() + v.size() && std::isfinite(value);
}

std::string FloatToStr(double value)
{
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (value == 0) return "0";
    char buf[64];
    // Plain notation for the magnitudes money and distances take, shortest round-trip digits.
    const double mag = std::fabs(value);
    const auto fmt = (mag >= 1e-5 && mag < 1e15) ? std::chars_format::fixed : std::chars_format::general;
    const auto r = std::to_chars(buf, buf + sizeof buf, value, fmt);
    return std::string(buf, r.ptr);
}

std::string FloatToPlainStr(double value)
{
    if (!std::isfinite(value) || value == 0) return FloatToStr(value);
    // d.dddddddddddddde±x: the 15 significant digits and where the decimal point goes.
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    const std::string_view text(buf, std::size_t(r.ptr - buf));
    const std::size_t e = text.find('e');
    std::string digits = std::string(1, text[0]) + std::string(text.substr(2, e - 2));
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string_view exponentText = text.substr(e + 1);
    if (exponentText.front() == '+') exponentText.remove_prefix(1);
    int exponent = 0;
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);

    std::string out = value < 0 ? "-" : "";
    if (exponent < 0) return out + "0." + std::string(std::size_t(-exponent - 1), '0') + digits;
    const std::size_t whole = std::size_t(exponent) + 1;
    if (digits.size() <= whole) return out + digits + std::string(whole - digits.size(), '0');
    return out + digits.substr(0, whole) + "." + digits.substr(whole);
}

} // namespace kiosk
