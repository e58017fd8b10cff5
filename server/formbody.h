#pragma once
// The kiosk's request body: "&name=value&name=value", UTF-8, values escaped only as
// &amp; &quot; &lt; &gt; %25 %3F, everything else raw ("+" stays "+").
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace stationd {

// A body that cannot be split into parameters; the text is the detail of the 400 page.
struct FormError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

using FormParams = std::vector<std::pair<std::string, std::string>>;

// The parameters in the order they arrived. Throws FormError for invalid UTF-8, a NUL byte, a
// pair without "=", an empty name or a name given twice. Empty pairs ("&&") are skipped.
FormParams ParseFormBody(std::string_view body);

// Undoes the kiosk's value escaping in one left-to-right pass.
std::string DecodeFormValue(std::string_view raw);

bool IsValidUtf8(std::string_view text);

} // namespace stationd
