#pragma once
// UTF-8 text helpers shared by every layer. Texts cross the layers as UTF-8 std::string.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace kiosk {

// Removes leading and trailing blanks and control characters (every byte up to 0x20).
std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);

// ASCII-only case mapping and comparison: identifiers, keys and field names are ASCII,
// Chinese text is left as it is.
std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);
bool SameText(std::string_view a, std::string_view b);
bool StartsText(std::string_view prefix, std::string_view text);

// Converts little-endian UTF-16 bytes to UTF-8. Unpaired surrogates become U+FFFD; an odd
// trailing byte is dropped.
std::string Utf16LeToUtf8(std::string_view bytes);

// Whether the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

// Decodes hexadecimal text (either case, pairs of digits) into bytes. Returns false on an odd
// length or a character that is not a hexadecimal digit.
bool HexToBytes(std::string_view hex, std::vector<std::uint8_t>& bytes);

// Replaces each "%s" (or "%d") of `pattern` by the next argument, in order; "%%" is a percent
// sign. Missing arguments leave the placeholder empty, extra ones are ignored. The pattern is
// parsed here and never handed to printf.
std::string Format(std::string_view pattern, std::initializer_list<std::string_view> args);

// Number conversions with the usual text forms.
std::string IntToStr(std::int64_t value);
bool TryStrToInt64(std::string_view text, std::int64_t& value);
bool TryStrToFloat(std::string_view text, double& value);
// Shortest decimal text that reads back as the same double ("950", "0.3", "1.005").
std::string FloatToStr(double value);
// Plain decimal text of at most 15 significant digits, never an exponent: 0.1 + 0.2 gives
// "0.3" and 1e20 "100000000000000000000". Not a number and infinities as FloatToStr.
std::string FloatToPlainStr(double value);

} // namespace kiosk
