#pragma once
// GUIDs in the registry text form: upper-case hexadecimal in braces,
// {AECD69EB-D852-49A8-82A9-BCAE582E1DC4}.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kiosk {

class TGUID {
public:
    constexpr TGUID() = default;
    // Parses a GUID text with or without braces, either letter case; std::nullopt otherwise.
    static std::optional<TGUID> Parse(std::string_view text);
    // Parses a GUID written in the code; a malformed literal is a programming error and throws.
    static TGUID FromText(std::string_view text);
    // A fresh random (version 4) GUID.
    static TGUID New();

    std::string ToString() const;
    bool IsNull() const;

    friend bool operator==(const TGUID&, const TGUID&) = default;
    friend auto operator<=>(const TGUID&, const TGUID&) = default;

private:
    std::array<std::uint8_t, 16> bytes_{};
};

// A fresh braced upper-case GUID text.
std::string NewGuidText();

} // namespace kiosk
