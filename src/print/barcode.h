#pragma once
// The barcode encoder: 23 linear symbologies, each turned into one module pattern string that
// a single drawing step renders (print/qt/drawbarcode.h). No drawing here.
//
// Module pattern characters, one element each, left to right: '0'–'3' a space of width
// w0–w3, '5'–'8' a full-height bar, 'A'–'D' a bar over the lower two fifths of the height.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kiosk {

enum class TBarType {
    bcCode_2_5_interleaved,
    bcCode_2_5_industrial,
    bcCode_2_5_matrix,
    bcCode39,
    bcCode39Extended,
    bcCode128A,
    bcCode128B,
    bcCode128C,
    bcCode93,
    bcCode93Extended,
    bcCodeMSI,
    bcCodePostNet,
    bcCodeCodabar,
    bcCodeEAN8,
    bcCodeEAN13,
    bcCodeUPC_A,
    bcCodeUPC_E0,
    bcCodeUPC_E1,
    bcCodeUPC_Supp2,
    bcCodeUPC_Supp5,
    bcCodeEAN128A,
    bcCodeEAN128B,
    bcCodeEAN128C,
};
inline constexpr int kBarTypeCount = 23;

// Per symbology: its display name (the human-readable type text) and whether its text must
// be digits only.
struct TBCdata {
    std::string_view Name;
    bool num;
};
const TBCdata& BarTypeData(TBarType type);

// The enumerator's own name ("bcCodeEAN13"), as print templates name a type.
std::string_view BarTypeIdentifier(TBarType type);
// The type whose identifier equals `name` without regard to case; none for anything else.
std::optional<TBarType> FindBarType(std::string_view name);

// Check-digit modes.
inline constexpr int kCheckSumNone = 0;
inline constexpr int kCheckSumModulo10 = 1;

// The module pattern of a text with the element widths it is drawn with.
struct TBarPattern {
    std::string pattern;
    // The text with any check digit the encoder added (EAN, UPC, EAN 128 and the add-ons
    // report it; the other types give the text as passed).
    std::string codeText;
    // The wide-to-narrow ratio after clamping to the symbology's range.
    double ratio = 2.0;
    // w0 … w3 in pixels.
    std::array<int, 4> widths{};
};

// Encodes `text`. Failures raise kiosk::Exception with the encoder's texts: "Wrong barcode
// type.", "<text> : Barcode must be numeric.", "<text> : Code_93 bad data.", the EAN 8 / EAN 13
// length assertions, and "Barcode module width out of range." when a width would be below 1 or
// above 127 pixels (widths are held in 8 bits).
TBarPattern MakeBarPattern(TBarType type, std::string_view text, int moduleWidth, int checkSumMode, double ratio);

// The sum of the widths of all elements, in pixels.
std::int64_t BarcodeWidth(TBarType type, std::string_view text, int moduleWidth, int checkSumMode, double ratio);

// The digits with one modulo-10 check digit appended (weight 3 for the rightmost digit and
// every second digit to its left).
std::string CheckSumModulo10(std::string_view digits);

// One element of a module pattern.
struct TBarElement {
    enum Kind { Space, Bar, ShortBar } kind;
    int width;  // pixels
};
// Raises "Internal Error." for a character outside the module alphabet.
TBarElement PatternElement(char c, const std::array<int, 4>& widths);

} // namespace kiosk
