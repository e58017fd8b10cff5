#include "print/barcode.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/exception.h"
#include "platform/textutil.h"
#include "print/barcodetables_p.h"

namespace kiosk {

namespace bt = barcode_tables;

namespace {

constexpr std::array<TBCdata, kBarTypeCount> kBarTypes = {{
    {"Code25 interleaved", true}, {"Code25 industrial", true}, {"Code25 matrix", true},
    {"Code39", false}, {"Code39 Extended", false}, {"Code128A", false}, {"Code128B", false},
    {"Code128C", false}, {"Code93", false}, {"Code93 Extended", false}, {"MSI", true},
    {"PostNet", true}, {"Codebar", false}, {"EAN8", true}, {"EAN13", true}, {"UPC_A", true},
    {"UPC_E0", true}, {"UPC_E1", true}, {"UPC Supp2", true}, {"UPC Supp5", true},
    {"EAN128A", false}, {"EAN128B", false}, {"EAN128C", false},
}};

constexpr std::array<std::string_view, kBarTypeCount> kBarTypeIdentifiers = {
    "bcCode_2_5_interleaved", "bcCode_2_5_industrial", "bcCode_2_5_matrix", "bcCode39",
    "bcCode39Extended", "bcCode128A", "bcCode128B", "bcCode128C", "bcCode93", "bcCode93Extended",
    "bcCodeMSI", "bcCodePostNet", "bcCodeCodabar", "bcCodeEAN8", "bcCodeEAN13", "bcCodeUPC_A",
    "bcCodeUPC_E0", "bcCodeUPC_E1", "bcCodeUPC_Supp2", "bcCodeUPC_Supp5", "bcCodeEAN128A",
    "bcCodeEAN128B", "bcCodeEAN128C",
};

int Ordinal(TBarType type) { return static_cast<int>(type); }

[[noreturn]] void FailWrongType() { throw Exception("Wrong barcode type."); }

// The length assertion, with the source position of the check that failed.
[[noreturn]] void FailLength(std::string_view symbology, const char* file = __builtin_FILE(), int line = __builtin_LINE())
{
    const std::string path = file;
    const std::string base = path.substr(path.find_last_of('/') + 1);
    throw Exception(std::string(symbology) + " : Invalid barcode length. (" + base + ", line " + IntToStr(line) + ")");
}

// The symbology's range of the wide-to-narrow ratio; none for those drawn in whole modules.
double ClampRatio(TBarType type, double ratio)
{
    const int o = Ordinal(type);
    if (type == TBarType::bcCode_2_5_matrix) return std::clamp(ratio, 2.25, 3.0);
    if (o == 0 || o == 1 || o == 3 || o == 4 || (o >= 12 && o <= 19)) return std::clamp(ratio, 2.0, 3.0);
    return ratio;
}

std::array<int, 4> ModuleWidths(int moduleWidth, double ratio)
{
    const double wide = std::nearbyint(double(moduleWidth) * ratio);  // ties to even
    if (!(moduleWidth >= 1 && moduleWidth <= 127) || !(wide >= 1 && wide * 2 <= 127))
        throw Exception("Barcode module width out of range.");
    const int w1 = int(wide);
    return {moduleWidth, w1, w1 * 3 / 2, 2 * w1};
}

std::string PadLeft(std::string_view text, std::size_t length)
{
    if (text.size() >= length) return std::string(text);
    return std::string(length - text.size(), '0') + std::string(text);
}

int Digit(char c) { return c - '0'; }

// Width digits '1'–'4' (bar first, alternating) to module characters.
std::string WidthsToModules(std::string_view widths)
{
    std::string out(widths);
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = char(i % 2 == 0 ? out[i] + 4 : out[i] - 1);
    return out;
}

std::string_view ReversedSetC(int digit, std::string& buffer)
{
    buffer.assign(bt::kEanSetC[std::size_t(digit)].rbegin(), bt::kEanSetC[std::size_t(digit)].rend());
    return buffer;
}

// ---- 2 of 5 -------------------------------------------------------------------------------

std::string Code25Interleaved(std::string_view text)
{
    std::string p = "5050";
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        const auto& bars = bt::kCode25Flags[std::size_t(Digit(text[i]))];
        const auto& spaces = bt::kCode25Flags[std::size_t(Digit(text[i + 1]))];
        for (int k = 0; k < 5; ++k) {
            p += bars[std::size_t(k)] == '1' ? '6' : '5';
            p += spaces[std::size_t(k)] == '1' ? '1' : '0';
        }
    }
    return p + "605";
}

std::string Code25Industrial(std::string_view text)
{
    std::string p = "606050";
    for (char c : text)
        for (char flag : bt::kCode25Flags[std::size_t(Digit(c))]) p += flag == '1' ? "60" : "50";
    return p + "605060";
}

std::string Code25Matrix(std::string_view text)
{
    std::string p = "705050";
    for (char c : text) {
        const auto& flags = bt::kCode25Flags[std::size_t(Digit(c))];
        for (int k = 0; k < 5; ++k) {
            const bool wide = flags[std::size_t(k)] == '1';
            if (k % 2 == 0)
                p += wide ? '6' : '5';
            else
                p += wide ? '1' : '0';
        }
        p += '0';
    }
    return p + "70505";
}

// ---- Code 39 ------------------------------------------------------------------------------

const bt::Code39Entry* FindCode39(char c)
{
    for (const auto& e : bt::kCode39)
        if (e.c == c) return &e;
    return nullptr;
}

std::string Code39(std::string_view text, int checkSumMode)
{
    const auto& star = *FindCode39('*');
    std::string p = std::string(star.pattern) + "0";
    int sum = 0;
    for (char c : text) {
        const auto* e = FindCode39(c);
        if (!e) continue;
        p += e->pattern;
        p += '0';
        sum += e->value;
    }
    if (checkSumMode != kCheckSumNone) {
        for (const auto& e : bt::kCode39)
            if (e.value == sum % 43) {
                p += e.pattern;
                p += '0';
                break;
            }
    }
    return p + std::string(star.pattern);
}

std::string Code39Extended(std::string_view text, int checkSumMode)
{
    std::string plain;
    for (char c : text)
        if (static_cast<unsigned char>(c) < 128) plain += bt::kCode39Ascii[static_cast<unsigned char>(c)];
    return Code39(plain, checkSumMode);
}

// ---- Code 128 -----------------------------------------------------------------------------

// The text as code points; a byte that does not start a well-formed UTF-8 sequence stands for
// itself, so every input gives some characters.
std::vector<std::uint32_t> CodePoints(std::string_view text)
{
    std::vector<std::uint32_t> out;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        std::size_t len = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
        if (len > 1 && (i + len > text.size() || !IsValidUtf8(text.substr(i, len)))) len = 0;
        if (len <= 1) {
            out.push_back(b);
            ++i;
            continue;
        }
        std::uint32_t cp = b & (0x7F >> len);
        for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out.push_back(cp);
        i += len;
    }
    return out;
}

int Code128ValueAB(std::uint32_t c, bool setA)
{
    if (c >= 195 && c <= 202) return int(c) - 100;
    if (c < 128)
        for (int v = 0; v < 103; ++v)
            if (static_cast<unsigned char>(setA ? bt::kCode128[std::size_t(v)].a : bt::kCode128[std::size_t(v)].b) == c)
                return v;
    return 0;  // not in the set: a space
}

int Code128ValueC(std::string_view pair)
{
    for (int v = 0; v < 103; ++v)
        if (bt::kCode128[std::size_t(v)].c == pair) return v;
    return 0;  // unknown pairs count as "00"
}

struct Code128Sum {
    std::string widths;
    int check = 0;
    int weight = 1;
    void Add(int value)
    {
        widths += bt::kCode128[std::size_t(value)].widths;
        check = (check + value * weight) % 103;
        ++weight;
    }
};

std::string Code128(TBarType type, std::string_view text, int checkSumMode, std::string& codeText)
{
    const bool ean = type == TBarType::bcCodeEAN128A || type == TBarType::bcCodeEAN128B || type == TBarType::bcCodeEAN128C;
    const bool setA = type == TBarType::bcCode128A || type == TBarType::bcCodeEAN128A;
    const bool setC = type == TBarType::bcCode128C || type == TBarType::bcCodeEAN128C;
    const int start = setA ? bt::kCode128StartA : setC ? bt::kCode128StartC : bt::kCode128StartB;
    Code128Sum sum;
    sum.widths = bt::kCode128[std::size_t(start)].widths;
    sum.check = start;
    std::string data(text);
    if (ean) {
        sum.widths += bt::kCode128[bt::kCode128Fnc1].widths;
        sum.check += bt::kCode128Fnc1;
        sum.weight = 2;
        if (checkSumMode == kCheckSumModulo10) data = CheckSumModulo10(data);
    }
    codeText = data;
    if (setC) {
        if (data.size() % 2 == 1) data.insert(data.begin(), '0');
        for (std::size_t i = 0; i < data.size(); i += 2) sum.Add(Code128ValueC(std::string_view(data).substr(i, 2)));
    } else {
        for (std::uint32_t c : CodePoints(data)) sum.Add(Code128ValueAB(c, setA));
    }
    sum.widths += bt::kCode128[std::size_t(sum.check % 103)].widths;
    sum.widths += bt::kCode128Stop;
    return WidthsToModules(sum.widths);
}

// ---- Code 93 ------------------------------------------------------------------------------

std::string Code93(std::string_view text)
{
    std::string widths(bt::kCode93Start);
    std::vector<int> values;
    for (char c : text) {
        const auto it = std::find_if(bt::kCode93.begin(), bt::kCode93.end(), [c](const auto& e) { return e.c == c; });
        if (it == bt::kCode93.end()) throw Exception(Format("%s : %s", {text, "Code_93 bad data."}));
        values.push_back(int(it - bt::kCode93.begin()));
        widths += it->widths;
    }
    int c = 0, k = 0, cw = 1, kw = 2;
    for (auto v = values.rbegin(); v != values.rend(); ++v) {
        c += *v * cw;
        k += *v * kw;
        cw = cw == 20 ? 1 : cw + 1;
        kw = kw == 15 ? 1 : kw + 1;
    }
    c %= 47;
    k = (k + c) % 47;
    widths += bt::kCode93[std::size_t(c)].widths;
    widths += bt::kCode93[std::size_t(k)].widths;
    widths += bt::kCode93Stop;
    return WidthsToModules(widths);
}

std::string Code93Extended(std::string_view text)
{
    std::string plain;
    for (char c : text)
        if (static_cast<unsigned char>(c) < 128) plain += bt::kCode93Ascii[static_cast<unsigned char>(c)];
    return Code93(plain);
}

// ---- MSI, PostNet, Codabar ----------------------------------------------------------------

// Doubles a decimal digit string.
std::string DoubleDigits(const std::string& digits)
{
    std::string out(digits.size() + 1, '0');
    int carry = 0;
    for (std::size_t i = digits.size(); i-- > 0;) {
        const int d = Digit(digits[i]) * 2 + carry;
        out[i + 1] = char('0' + d % 10);
        carry = d / 10;
    }
    out[0] = char('0' + carry);
    return out;
}

int MsiCheckDigit(std::string_view text)
{
    std::string doubled, sumDigits;
    // Starting with the rightmost digit, every second digit forms the number that is doubled.
    for (std::size_t i = 0; i < text.size(); ++i)
        ((text.size() - 1 - i) % 2 == 0 ? doubled : sumDigits) += text[i];
    int sum = 0;
    for (char c : DoubleDigits(doubled)) sum += Digit(c);
    for (char c : sumDigits) sum += Digit(c);
    return (10 - sum % 10) % 10;
}

std::string Msi(std::string_view text)
{
    std::string p = "60";
    for (char c : text) p += bt::kMsi[std::size_t(Digit(c))];
    p += bt::kMsi[std::size_t(MsiCheckDigit(text))];
    return p + "515";
}

std::string PostNet(std::string_view text)
{
    std::string p = "51";
    for (char c : text) p += bt::kPostNet[std::size_t(Digit(c))];
    return p + "5";
}

std::string_view CodabarPattern(char c)
{
    for (const auto& e : bt::kCodabar)
        if (e.c == c) return e.pattern;
    return {};
}

std::string Codabar(std::string_view text)
{
    std::string p = std::string(CodabarPattern('A')) + "0";
    for (char c : text) {
        const auto pattern = CodabarPattern(c);
        if (pattern.empty()) continue;
        p += pattern;
        p += '0';
    }
    return p + std::string(CodabarPattern('B'));
}

// ---- EAN and UPC --------------------------------------------------------------------------

std::string Ean8(std::string_view text, int checkSumMode, std::string& codeText)
{
    std::string digits;
    if (checkSumMode == kCheckSumModulo10) {
        const std::string padded = PadLeft(text, 7);
        digits = CheckSumModulo10(std::string_view(padded).substr(padded.size() - 7));
    } else {
        digits = PadLeft(text, 8);
    }
    if (digits.size() != 8) FailLength("EAN8");
    codeText = digits;
    std::string p = "505";
    for (int i = 0; i < 4; ++i) p += bt::kEanSetA[std::size_t(Digit(digits[std::size_t(i)]))];
    p += "05050";
    for (int i = 4; i < 8; ++i) p += bt::kEanSetC[std::size_t(Digit(digits[std::size_t(i)]))];
    return p + "505";
}

std::string Ean13(std::string_view text, int checkSumMode, std::string& codeText)
{
    const std::string digits = checkSumMode == kCheckSumModulo10 ? CheckSumModulo10(PadLeft(text, 12)) : PadLeft(text, 13);
    if (digits.size() != 13) FailLength("EAN13");
    codeText = digits;
    const auto& parity = bt::kEan13Parity[std::size_t(Digit(digits[0]))];
    std::string p = "505";
    for (int i = 1; i <= 6; ++i) {
        const auto& set = parity[std::size_t(i - 1)] == 'A' ? bt::kEanSetA : bt::kEanSetB;
        p += set[std::size_t(Digit(digits[std::size_t(i)]))];
    }
    p += "05050";
    for (int i = 7; i <= 12; ++i) p += bt::kEanSetC[std::size_t(Digit(digits[std::size_t(i)]))];
    return p + "505";
}

std::string UpcA(std::string_view text, int checkSumMode, std::string& codeText)
{
    std::string digits = PadLeft(text, 12);
    digits = checkSumMode == kCheckSumModulo10 ? CheckSumModulo10(digits.substr(0, 11)) : digits.substr(0, 12);
    codeText = digits;
    std::string p = "505";
    for (int i = 0; i < 6; ++i) p += bt::kEanSetA[std::size_t(Digit(digits[std::size_t(i)]))];
    p += "05050";
    for (int i = 6; i < 12; ++i) p += bt::kEanSetC[std::size_t(Digit(digits[std::size_t(i)]))];
    return p + "505";
}

// The even-parity (E) or odd-parity (o) left-hand code of a digit.
void AppendParityCode(std::string& p, int digit, bool even)
{
    std::string reversed;
    p += even ? ReversedSetC(digit, reversed) : bt::kEanSetA[std::size_t(digit)];
}

std::string UpcE(TBarType type, std::string_view text, int checkSumMode, std::string& codeText)
{
    std::string digits = PadLeft(text, 7);
    digits = checkSumMode == kCheckSumModulo10 ? CheckSumModulo10(digits.substr(0, 6)) : digits.substr(0, 7);
    codeText = digits;
    const auto& parity = bt::kUpcEParity[std::size_t(Digit(digits[6]))];
    const bool e0 = type == TBarType::bcCodeUPC_E0;
    std::string p = "505";
    for (int i = 0; i < 6; ++i) {
        const bool letterE = parity[std::size_t(i)] == 'E';
        AppendParityCode(p, Digit(digits[std::size_t(i)]), letterE == e0);
    }
    return p + "050505";
}

std::string UpcSupp5(std::string_view text, int checkSumMode, std::string& codeText)
{
    const std::string digits = PadLeft(text, 5).substr(0, 5);
    const int check = (3 * (Digit(digits[0]) + Digit(digits[2]) + Digit(digits[4])) +
                       9 * (Digit(digits[1]) + Digit(digits[3]))) % 10;
    codeText = checkSumMode == kCheckSumModulo10 ? digits + char('0' + check) : digits;
    const std::string_view parity = bt::kUpcEParity[std::size_t(check)].substr(1, 5);
    std::string p = "506";
    for (int i = 0; i < 5; ++i) {
        if (i > 0) p += "05";
        AppendParityCode(p, Digit(digits[std::size_t(i)]), parity[std::size_t(i)] == 'E');
    }
    return p;
}

std::string UpcSupp2(std::string_view text, int checkSumMode, std::string& codeText)
{
    const std::string digits = PadLeft(text, 2).substr(0, 2);
    const int first = Digit(digits[0]), second = Digit(digits[1]);
    static constexpr std::array<std::string_view, 4> kParity = {"oo", "oE", "Eo", "EE"};
    const std::string_view parity = kParity[std::size_t((first * 10 + second) % 4)];
    codeText = checkSumMode == kCheckSumModulo10 ? digits + char('0' + (9 * first + 3 * second) % 10) : digits;
    std::string p = "506";
    AppendParityCode(p, first, parity[0] == 'E');
    p += "05";
    AppendParityCode(p, second, parity[1] == 'E');
    return p;
}

bool AllDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Encode(TBarType type, std::string_view text, int checkSumMode, std::string& codeText)
{
    codeText = std::string(text);
    switch (type) {
    case TBarType::bcCode_2_5_interleaved: return Code25Interleaved(text);
    case TBarType::bcCode_2_5_industrial: return Code25Industrial(text);
    case TBarType::bcCode_2_5_matrix: return Code25Matrix(text);
    case TBarType::bcCode39: return Code39(text, checkSumMode);
    case TBarType::bcCode39Extended: return Code39Extended(text, checkSumMode);
    case TBarType::bcCode128A:
    case TBarType::bcCode128B:
    case TBarType::bcCode128C:
    case TBarType::bcCodeEAN128A:
    case TBarType::bcCodeEAN128B:
    case TBarType::bcCodeEAN128C: return Code128(type, text, checkSumMode, codeText);
    case TBarType::bcCode93: return Code93(text);
    case TBarType::bcCode93Extended: return Code93Extended(text);
    case TBarType::bcCodeMSI: return Msi(text);
    case TBarType::bcCodePostNet: return PostNet(text);
    case TBarType::bcCodeCodabar: return Codabar(text);
    case TBarType::bcCodeEAN8: return Ean8(text, checkSumMode, codeText);
    case TBarType::bcCodeEAN13: return Ean13(text, checkSumMode, codeText);
    case TBarType::bcCodeUPC_A: return UpcA(text, checkSumMode, codeText);
    case TBarType::bcCodeUPC_E0:
    case TBarType::bcCodeUPC_E1: return UpcE(type, text, checkSumMode, codeText);
    case TBarType::bcCodeUPC_Supp2: return UpcSupp2(text, checkSumMode, codeText);
    case TBarType::bcCodeUPC_Supp5: return UpcSupp5(text, checkSumMode, codeText);
    }
    FailWrongType();
}

} // namespace

const TBCdata& BarTypeData(TBarType type)
{
    if (Ordinal(type) < 0 || Ordinal(type) >= kBarTypeCount) FailWrongType();
    return kBarTypes[std::size_t(Ordinal(type))];
}

std::string_view BarTypeIdentifier(TBarType type)
{
    if (Ordinal(type) < 0 || Ordinal(type) >= kBarTypeCount) FailWrongType();
    return kBarTypeIdentifiers[std::size_t(Ordinal(type))];
}

std::optional<TBarType> FindBarType(std::string_view name)
{
    for (int o = 0; o < kBarTypeCount; ++o)
        if (SameText(kBarTypeIdentifiers[std::size_t(o)], name)) return static_cast<TBarType>(o);
    return std::nullopt;
}

std::string CheckSumModulo10(std::string_view digits)
{
    int sum = 0;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const bool weight3 = (digits.size() - 1 - i) % 2 == 0;
        sum += Digit(digits[i]) * (weight3 ? 3 : 1);
    }
    return std::string(digits) + char('0' + (10 - sum % 10) % 10);
}

TBarPattern MakeBarPattern(TBarType type, std::string_view text, int moduleWidth, int checkSumMode, double ratio)
{
    TBarPattern result;
    result.ratio = ClampRatio(type, ratio);
    result.widths = ModuleWidths(moduleWidth, result.ratio);
    if (Ordinal(type) < 0 || Ordinal(type) >= kBarTypeCount) FailWrongType();
    if (BarTypeData(type).num && !AllDigits(text))
        throw Exception(Format("%s : %s", {text, "Barcode must be numeric."}));
    result.pattern = Encode(type, text, checkSumMode, result.codeText);
    return result;
}

TBarElement PatternElement(char c, const std::array<int, 4>& widths)
{
    if (c >= '0' && c <= '3') return {TBarElement::Space, widths[std::size_t(c - '0')]};
    if (c >= '5' && c <= '8') return {TBarElement::Bar, widths[std::size_t(c - '5')]};
    if (c >= 'A' && c <= 'D') return {TBarElement::ShortBar, widths[std::size_t(c - 'A')]};
    throw Exception("Internal Error.");
}

std::int64_t BarcodeWidth(TBarType type, std::string_view text, int moduleWidth, int checkSumMode, double ratio)
{
    const TBarPattern bars = MakeBarPattern(type, text, moduleWidth, checkSumMode, ratio);
    std::int64_t width = 0;
    for (char c : bars.pattern) width += PatternElement(c, bars.widths).width;
    return width;
}

} // namespace kiosk
