#pragma once
// The published tables of the symbologies, written in the encoder's forms: module pattern
// characters (EAN/UPC, Code 39, MSI, PostNet, Codabar), wide/narrow flags (2 of 5) and
// element widths in modules, bar first (Code 128, Code 93).
#include <array>
#include <string_view>

namespace kiosk::barcode_tables {

// EAN/UPC digit codes: set A left-hand odd parity (space first), set B left-hand even parity
// (space first), set C right-hand (bar first).
extern const std::array<std::string_view, 10> kEanSetA;
extern const std::array<std::string_view, 10> kEanSetB;
extern const std::array<std::string_view, 10> kEanSetC;
// EAN-13 parity of digits 2 to 7 by first digit.
extern const std::array<std::string_view, 10> kEan13Parity;
// UPC-E number-system-0 parity by check digit; letters 2 to 6 serve the five-digit add-on.
extern const std::array<std::string_view, 10> kUpcEParity;

// 2 of 5: five flags per digit, '1' wide.
extern const std::array<std::string_view, 10> kCode25Flags;

struct Code39Entry {
    char c;
    std::string_view pattern;
    int value;  // modulo-43 value
};
extern const std::array<Code39Entry, 44> kCode39;
// The Code 39 characters that stand for ASCII 0 to 127.
extern const std::array<std::string_view, 128> kCode39Ascii;

struct Code128Entry {
    char a;  // set A character
    char b;  // set B character
    std::string_view c;  // set C text
    std::string_view widths;
};
// Values 0 to 105 (103 to 105 the start codes).
extern const std::array<Code128Entry, 106> kCode128;
inline constexpr std::string_view kCode128Stop = "2331112";
inline constexpr int kCode128StartA = 103;
inline constexpr int kCode128StartB = 104;
inline constexpr int kCode128StartC = 105;
inline constexpr int kCode128Fnc1 = 102;

struct Code93Entry {
    char c;  // the four shifts are '[', ']', '{', '}'
    std::string_view widths;
};
extern const std::array<Code93Entry, 47> kCode93;
extern const std::array<std::string_view, 128> kCode93Ascii;
inline constexpr std::string_view kCode93Start = "111141";
inline constexpr std::string_view kCode93Stop = "1111411";

extern const std::array<std::string_view, 10> kMsi;
extern const std::array<std::string_view, 10> kPostNet;

struct CodabarEntry {
    char c;
    std::string_view pattern;
};
extern const std::array<CodabarEntry, 20> kCodabar;

} // namespace kiosk::barcode_tables
