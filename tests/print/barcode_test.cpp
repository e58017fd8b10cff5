#include <gtest/gtest.h>

#include <string>

#include "platform/exception.h"
#include "print/barcode.h"

using namespace kiosk;

namespace {

TBarPattern Make(TBarType type, const std::string& text, int check = kCheckSumNone, double ratio = 2.0, int module = 2)
{
    return MakeBarPattern(type, text, module, check, ratio);
}

std::string ErrorOf(TBarType type, const std::string& text, int check = kCheckSumNone, int module = 2, double ratio = 2.0)
{
    try {
        MakeBarPattern(type, text, module, check, ratio);
    } catch (const Exception& e) {
        return e.what();
    }
    return "(no error)";
}

// Element widths in modules, bar first, as module pattern characters.
std::string FromWidths(const std::string& widths)
{
    std::string out;
    for (std::size_t i = 0; i < widths.size(); ++i) out += char(i % 2 == 0 ? widths[i] + 4 : widths[i] - 1);
    return out;
}

// The symbol as modules, '1' for a bar and '0' for a space, drawn with module width 1.
std::string ModuleBits(const TBarPattern& bars)
{
    std::string bits;
    for (char c : bars.pattern) {
        const TBarElement e = PatternElement(c, bars.widths);
        bits.append(std::size_t(e.width), e.kind == TBarElement::Space ? '0' : '1');
    }
    return bits;
}

TEST(BarTypes, areFoundByTheirEnumeratorNameWithoutRegardToCase)
{
    EXPECT_EQ(FindBarType("bcCodeEAN13"), TBarType::bcCodeEAN13);
    EXPECT_EQ(FindBarType("BCCODE128C"), TBarType::bcCode128C);
    EXPECT_EQ(FindBarType("bccode_2_5_interleaved"), TBarType::bcCode_2_5_interleaved);
    EXPECT_FALSE(FindBarType("EAN13").has_value());
    EXPECT_FALSE(FindBarType("").has_value());
    EXPECT_EQ(BarTypeData(TBarType::bcCodeCodabar).Name, "Codebar");
    EXPECT_TRUE(BarTypeData(TBarType::bcCodeUPC_Supp5).num);
    EXPECT_FALSE(BarTypeData(TBarType::bcCodeEAN128C).num);
}

TEST(CheckSumModulo10, appendsTheWeightedCheckDigit)
{
    EXPECT_EQ(CheckSumModulo10("690123456789"), "6901234567892");
    EXPECT_EQ(CheckSumModulo10("1234567"), "12345670");
    EXPECT_EQ(CheckSumModulo10("03600029145"), "036000291452");
    EXPECT_EQ(CheckSumModulo10("400638133393"), "4006381333931");
    EXPECT_EQ(CheckSumModulo10(""), "0");
}

TEST(ModuleWidths, followTheModuleWidthAndTheClampedRatio)
{
    const auto bars = Make(TBarType::bcCodeEAN13, "690123456789", kCheckSumModulo10, 2.0, 2);
    EXPECT_EQ(bars.widths, (std::array<int, 4>{2, 4, 6, 8}));
    EXPECT_EQ(Make(TBarType::bcCodeEAN13, "1", kCheckSumNone, 1.5).ratio, 2.0);
    EXPECT_EQ(Make(TBarType::bcCode39, "A", kCheckSumNone, 3.5).ratio, 3.0);
    EXPECT_EQ(Make(TBarType::bcCode_2_5_matrix, "1", kCheckSumNone, 2.0).ratio, 2.25);
    // Code 128 is drawn in whole modules; its ratio is left as given.
    const auto wide = Make(TBarType::bcCode128B, "A", kCheckSumNone, 2.5, 2);
    EXPECT_EQ(wide.ratio, 2.5);
    EXPECT_EQ(wide.widths, (std::array<int, 4>{2, 5, 7, 10}));
    // m × r = 2.5 rounds to even.
    EXPECT_EQ(Make(TBarType::bcCode128B, "A", kCheckSumNone, 2.5, 1).widths[1], 2);
}

TEST(ModuleWidths, thatDoNotFitEightBitsAreRefused)
{
    EXPECT_EQ(ErrorOf(TBarType::bcCodeEAN13, "1", kCheckSumNone, 64), "Barcode module width out of range.");
    EXPECT_EQ(ErrorOf(TBarType::bcCodeEAN13, "1", kCheckSumNone, 0), "Barcode module width out of range.");
    EXPECT_EQ(ErrorOf(TBarType::bcCode128A, "1", kCheckSumNone, 2, 1e300), "Barcode module width out of range.");
    EXPECT_EQ(ErrorOf(TBarType::bcCode128A, "1", kCheckSumNone, 2, -1), "Barcode module width out of range.");
    EXPECT_EQ(ErrorOf(TBarType::bcCodeEAN13, "1", kCheckSumNone, 31), "(no error)");
}

TEST(Ean13, padsChecksAndRefusesWrongLengths)
{
    EXPECT_EQ(Make(TBarType::bcCodeEAN13, "690123456789").codeText, "0690123456789");
    EXPECT_EQ(Make(TBarType::bcCodeEAN13, "690123456789", kCheckSumModulo10).codeText, "6901234567892");
    EXPECT_EQ(ErrorOf(TBarType::bcCodeEAN13, "12345678901234").rfind("EAN13 : Invalid barcode length. (barcode.cpp, line ", 0), 0u);
    EXPECT_EQ(ErrorOf(TBarType::bcCodeEAN13, "1234567890123", kCheckSumModulo10).rfind("EAN13 : Invalid barcode length.", 0), 0u);
    EXPECT_EQ(Make(TBarType::bcCodeEAN13, "1").pattern.size(), 3u + 6 * 4 + 5 + 6 * 4 + 3);
}

TEST(Ean8, keepsTheLastSevenDigitsBeforeItsCheckDigit)
{
    EXPECT_EQ(Make(TBarType::bcCodeEAN8, "1234567", kCheckSumModulo10).codeText, "12345670");
    EXPECT_EQ(Make(TBarType::bcCodeEAN8, "991234567", kCheckSumModulo10).codeText, "12345670");
    EXPECT_EQ(Make(TBarType::bcCodeEAN8, "55").codeText, "00000055");
    EXPECT_EQ(ErrorOf(TBarType::bcCodeEAN8, "123456789").rfind("EAN8 : Invalid barcode length.", 0), 0u);
}

// A published symbol written as modules: UPC-A 036000291452.
TEST(UpcA, matchesThePublishedModulesOfASymbol)
{
    const std::string expected = std::string("101") + "0001101" + "0111101" + "0101111" + "0001101" + "0001101" +
                                 "0001101" + "01010" + "1101100" + "1110100" + "1100110" + "1011100" + "1001110" +
                                 "1101100" + "101";
    EXPECT_EQ(ModuleBits(Make(TBarType::bcCodeUPC_A, "036000291452", kCheckSumNone, 2.0, 1)), expected);
    EXPECT_EQ(Make(TBarType::bcCodeUPC_A, "036000291459", kCheckSumModulo10).codeText, "036000291452");
    // The text is padded to 12 before its first 11 digits are taken.
    EXPECT_EQ(Make(TBarType::bcCodeUPC_A, "03600029145", kCheckSumModulo10).codeText, "003600029143");
}

// A published symbol: EAN-13 4006381333931, first digit 4 giving the parity ABAABB.
TEST(Ean13, matchesThePublishedModulesOfASymbol)
{
    const std::string expected = std::string("101") + "0001101" + "0100111" + "0101111" + "0111101" + "0001001" +
                                 "0110011" + "01010" + "1000010" + "1000010" + "1000010" + "1110100" + "1000010" +
                                 "1100110" + "101";
    EXPECT_EQ(ModuleBits(Make(TBarType::bcCodeEAN13, "4006381333931", kCheckSumNone, 2.0, 1)), expected);
}

TEST(Code25Interleaved, dropsTheLastDigitOfAnOddText)
{
    EXPECT_EQ(Make(TBarType::bcCode_2_5_interleaved, "12345").pattern, Make(TBarType::bcCode_2_5_interleaved, "1234").pattern);
    EXPECT_EQ(Make(TBarType::bcCode_2_5_interleaved, "").pattern, "5050605");
}

TEST(Code128C, givesAnOddTextALeadingZero)
{
    EXPECT_EQ(Make(TBarType::bcCode128C, "123").pattern, Make(TBarType::bcCode128C, "0123").pattern);
    // An unknown pair counts as "00".
    EXPECT_EQ(Make(TBarType::bcCode128C, "1A").pattern, Make(TBarType::bcCode128C, "00").pattern);
}

TEST(Code128, countsCharactersOutsideTheSetAsSpaces)
{
    EXPECT_EQ(Make(TBarType::bcCode128A, "ab").pattern, Make(TBarType::bcCode128A, "  ").pattern);
    EXPECT_EQ(Make(TBarType::bcCode128B, "中").pattern, Make(TBarType::bcCode128B, " ").pattern);
    // U+00C3 to U+00CA stand for values 95 to 102 (FNC1 is 102).
    EXPECT_NE(Make(TBarType::bcCode128B, "\xC3\x8A").pattern, Make(TBarType::bcCode128B, " ").pattern);
    // Start B (104) + 'A' (33) gives the check value 34.
    EXPECT_EQ(Make(TBarType::bcCode128B, "A").pattern, FromWidths("211214" "111323" "131123" "2331112"));
}

TEST(Ean128, startsWithFnc1AndMayAddAModulo10Digit)
{
    const auto bars = Make(TBarType::bcCodeEAN128C, "0123456", kCheckSumModulo10);
    EXPECT_EQ(bars.codeText, "01234565");
    // Start C (211232) then FNC1 (411131) as modules.
    EXPECT_EQ(bars.pattern.substr(0, 12), "605171" "805070");
}

TEST(Code39, skipsLowerCaseAndAddsItsModulo43Character)
{
    EXPECT_EQ(Make(TBarType::bcCode39, "abCODEx").pattern, Make(TBarType::bcCode39, "CODE").pattern);
    // (12+24+13+14+3+9) mod 43 = 32: 'W'.
    EXPECT_EQ(Make(TBarType::bcCode39, "CODE39", kCheckSumModulo10).pattern, Make(TBarType::bcCode39, "CODE39W").pattern);
    EXPECT_EQ(Make(TBarType::bcCode39, "CODE39", 7).pattern, Make(TBarType::bcCode39, "CODE39W").pattern);
    EXPECT_EQ(Make(TBarType::bcCode39, "").pattern, "5150606050" "515060605");
}

TEST(Code39Extended, writesAsciiThroughItsShiftPairs)
{
    EXPECT_EQ(Make(TBarType::bcCode39Extended, "a-.").pattern, Make(TBarType::bcCode39, "+A/M/N").pattern);
    EXPECT_EQ(Make(TBarType::bcCode39Extended, "é").pattern, Make(TBarType::bcCode39, "").pattern);
}

TEST(Code93, addsBothCheckCharacters)
{
    // TEST93 carries the published checks '+' and '6'.
    EXPECT_EQ(Make(TBarType::bcCode93, "TEST93").pattern,
              FromWidths("111141" "211221" "221211" "211122" "211221" "141111" "111411" "113121" "121311" "1111411"));
    EXPECT_EQ(ErrorOf(TBarType::bcCode93, "ab"), "ab : Code_93 bad data.");
    EXPECT_EQ(Make(TBarType::bcCode93Extended, "a").pattern, Make(TBarType::bcCode93, "}A").pattern);
}

TEST(Msi, endsWithItsCheckDigit)
{
    // 1234567: every second digit from the right (1357) doubled is 2714; 2+7+1+4 + 2+4+6 = 26.
    const std::string p = Make(TBarType::bcCodeMSI, "1234567").pattern;
    EXPECT_EQ(p.substr(0, 2), "60");
    EXPECT_EQ(p.substr(p.size() - 11), "51605151" "515");
    EXPECT_EQ(p.size(), 2u + 8 * 8 + 3);
}

TEST(PostNet, writesFullAndShortBars)
{
    EXPECT_EQ(Make(TBarType::bcCodePostNet, "1").pattern, "51" "A1A1A15151" "5");
}

TEST(Codabar, framesTheTextWithAAndBAndSkipsOtherCharacters)
{
    EXPECT_EQ(Make(TBarType::bcCodeCodabar, "1x").pattern, "5061515" "0" "5050615" "0" "5151506");
}

TEST(UpcE, choosesParityByItsSeventhDigit)
{
    // Check digit 5 selects EooEEo: E is the reversed set C code, o the set A code.
    const std::string p = Make(TBarType::bcCodeUPC_E0, "1234565").pattern;
    EXPECT_EQ(p, "505" "0616" "1516" "0805" "1705" "0715" "0508" "050505");
    EXPECT_EQ(Make(TBarType::bcCodeUPC_E1, "1234565").pattern, "505" "1615" "1606" "0535" "0526" "0625" "3505" "050505");
    EXPECT_EQ(Make(TBarType::bcCodeUPC_E0, "1234560", kCheckSumModulo10).codeText, "1234565");
    EXPECT_EQ(Make(TBarType::bcCodeUPC_E0, "123456", kCheckSumModulo10).codeText, "0123457");
}

TEST(UpcAddOns, chooseParityByTheirCheck)
{
    // 12 mod 4 = 0: both odd.
    EXPECT_EQ(Make(TBarType::bcCodeUPC_Supp2, "12").pattern, "506" "1615" "05" "1516");
    EXPECT_EQ(Make(TBarType::bcCodeUPC_Supp2, "12", kCheckSumModulo10).codeText, "125");
    // 52495: check (3×(5+4+5) + 9×(2+9)) mod 10 = 1 gives EoEoo.
    const auto five = Make(TBarType::bcCodeUPC_Supp5, "52495", kCheckSumModulo10);
    EXPECT_EQ(five.codeText, "524951");
    EXPECT_EQ(five.pattern, "506" "0715" "05" "1516" "05" "1705" "05" "2506" "05" "0625");
}

TEST(MakeBarPattern, refusesWhatItCannotEncode)
{
    EXPECT_EQ(ErrorOf(static_cast<TBarType>(23), "1"), "Wrong barcode type.");
    EXPECT_EQ(ErrorOf(TBarType::bcCodeEAN13, "12a"), "12a : Barcode must be numeric.");
    EXPECT_EQ(ErrorOf(TBarType::bcCodeMSI, "-1"), "-1 : Barcode must be numeric.");
    EXPECT_EQ(ErrorOf(TBarType::bcCode128B, "any text"), "(no error)");
    EXPECT_THROW(PatternElement('4', {1, 2, 3, 4}), Exception);
    try {
        PatternElement('x', {1, 2, 3, 4});
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Internal Error.");
    }
}

TEST(BarcodeWidth, sumsTheElementWidths)
{
    EXPECT_EQ(BarcodeWidth(TBarType::bcCodeEAN13, "690123456789", 1, kCheckSumModulo10, 2.0), 95);
    EXPECT_EQ(BarcodeWidth(TBarType::bcCodeEAN8, "1234567", 1, kCheckSumModulo10, 2.0), 67);
    EXPECT_EQ(BarcodeWidth(TBarType::bcCodeUPC_E0, "1234565", 1, kCheckSumNone, 2.0), 51);
    // Code 128: 11 modules per value (start, data, check) and 13 for the stop.
    EXPECT_EQ(BarcodeWidth(TBarType::bcCode128B, "ABCD", 2, kCheckSumNone, 2.0), 2 * (11 * 6 + 13));
    // Code 39: 12 modules per character and a one-module gap between characters.
    EXPECT_EQ(BarcodeWidth(TBarType::bcCode39, "AB", 1, kCheckSumNone, 2.0), 4 * 13 - 1);
}

} // namespace
