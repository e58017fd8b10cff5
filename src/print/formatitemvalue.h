#pragma once
// The value formatting of print template items: a printf-like pattern applied to one value.
#include <optional>
#include <string>
#include <string_view>

namespace kiosk {

// Formats `text` with `pattern`. Empty text gives empty text; no pattern (null) gives the
// text unchanged. Otherwise the text is tried, in this order, as a floating-point number, a
// 32-bit integer, a 64-bit integer and as text, and the first attempt that the pattern
// accepts gives the result; when none does, the text comes back unchanged. A pattern without
// placeholders is the result itself ("合计"), so an empty pattern gives an empty text.
//
// The pattern is parsed here, never handed to printf: "%" [index ":"] ["-"] [width]
// ["." precision] type, with the types d u x (integers), e f g n m (floating-point numbers)
// and s (text), and "%%" for a percent sign. A placeholder that asks for an argument other
// than the one value, or for a kind the value is not, fails the attempt. Widths and
// precisions above 1024 fail too.
std::string FormatItemValue(std::optional<std::string_view> pattern, std::string_view text);

} // namespace kiosk
