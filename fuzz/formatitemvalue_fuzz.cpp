// FormatItemValue over arbitrary patterns and values (pattern and value are separated by the
// first NUL byte; without one the whole input is the value and the pattern is null). Nothing
// may be thrown: a pattern the value does not fit gives the value back, an empty one nothing.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "print/formatitemvalue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto nul = input.find('\0');
    std::optional<std::string_view> pattern;
    std::string_view value = input;
    if (nul != std::string_view::npos) {
        pattern = input.substr(0, nul);
        value = input.substr(nul + 1);
    }
    try {
        const std::string text = kiosk::FormatItemValue(pattern, value);
        if (value.empty() && !text.empty()) std::abort();
        if (!pattern && text != value) std::abort();
        if (pattern && pattern->empty() && !text.empty()) std::abort();
    } catch (...) {
        std::abort();
    }
    return 0;
}
