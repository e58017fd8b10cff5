#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <string>

#include "barcodereader.h"
#include "print/qt/drawbarcode.h"
#include "support/tempfolder.h"

using namespace kiosk;

namespace {

constexpr int kQuietZone = 40;

// The barcode drawn on white with a quiet zone around it.
QImage Render(TBarType type, const std::string& text, TBarcodeStyle style = {})
{
    const int width = int(BarcodeWidth(type, text, style.moduleWidth, style.checkSumMode, style.ratio));
    const bool upright = style.angle == 0 || style.angle == 180;
    const int w = upright ? width : style.height;
    const int h = upright ? style.height : width;
    QImage image(w + 2 * kQuietZone, h + 2 * kQuietZone, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawBarcode(painter, type, text, kQuietZone, kQuietZone, style);
    return image;
}

struct ReadCase {
    TBarType type;
    std::string text;
    int checkSumMode;
    std::string decoded;  // as the reader reports it
};

class DrawnBarcodes : public ::testing::TestWithParam<ReadCase> {
protected:
    test::TempFolder folder;
};

TEST_P(DrawnBarcodes, decodeToTheEncodedTextWithARealReader)
{
    const auto& c = GetParam();
    TBarcodeStyle style;
    style.checkSumMode = c.checkSumMode;
    EXPECT_EQ(test::ReadBarcodes(Render(c.type, c.text, style), folder.str()), c.decoded);
}

INSTANTIATE_TEST_SUITE_P(ReadableSymbologies, DrawnBarcodes,
    ::testing::Values(
        ReadCase{TBarType::bcCodeEAN13, "690123456789", kCheckSumModulo10, "EAN-13:6901234567892"},
        ReadCase{TBarType::bcCodeEAN13, "4006381333931", kCheckSumNone, "EAN-13:4006381333931"},
        ReadCase{TBarType::bcCodeEAN8, "1234567", kCheckSumModulo10, "EAN-8:12345670"},
        ReadCase{TBarType::bcCodeUPC_A, "036000291452", kCheckSumNone, "UPC-A:036000291452"},
        ReadCase{TBarType::bcCodeUPC_E0, "4252614", kCheckSumNone, "UPC-E:04252614"},
        ReadCase{TBarType::bcCode128A, "KIOSK-2024 #7", kCheckSumNone, "CODE-128:KIOSK-2024 #7"},
        ReadCase{TBarType::bcCode128B, "Slip no. 000123/b", kCheckSumNone, "CODE-128:Slip no. 000123/b"},
        ReadCase{TBarType::bcCode128B, " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~",
                 kCheckSumNone, "CODE-128: !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~"},
        ReadCase{TBarType::bcCode128C, "20240517000123", kCheckSumNone, "CODE-128:20240517000123"},
        ReadCase{TBarType::bcCode128C, "0123456789101112131415161718192021222324252627282930313233343536373839404142434445464748495051525354555657585960616263646566676869707172737475767778798081828384858687888990919293949596979899",
                 kCheckSumNone, "CODE-128:0123456789101112131415161718192021222324252627282930313233343536373839404142434445464748495051525354555657585960616263646566676869707172737475767778798081828384858687888990919293949596979899"},
        ReadCase{TBarType::bcCode39, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%", kCheckSumNone,
                 "CODE-39:0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%"},
        ReadCase{TBarType::bcCode39, "CODE39", kCheckSumModulo10, "CODE-39:CODE39W"},
        ReadCase{TBarType::bcCode93, "TEST93", kCheckSumNone, "CODE-93:TEST93"},
        // Long enough for both check weights to wrap around.
        ReadCase{TBarType::bcCode93, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%", kCheckSumNone,
                 "CODE-93:0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%"},
        ReadCase{TBarType::bcCode_2_5_interleaved, "12345678", kCheckSumNone, "I2/5:12345678"},
        ReadCase{TBarType::bcCode_2_5_interleaved, "0987654321", kCheckSumNone, "I2/5:0987654321"},
        ReadCase{TBarType::bcCodeCodabar, "0123456789-$:/.+", kCheckSumNone, "Codabar:A0123456789-$:/.+B"}));

TEST(DrawBarcode, drawsEachElementInItsWidthOfPixels)
{
    TBarcodeStyle style;
    style.height = 20;
    const QImage image = Render(TBarType::bcCodeEAN13, "6901234567892", style);
    const auto bars = MakeBarPattern(TBarType::bcCodeEAN13, "6901234567892", 2, kCheckSumNone, 2.0);
    int x = kQuietZone;
    for (char c : bars.pattern) {
        const TBarElement e = PatternElement(c, bars.widths);
        const QRgb expected = e.kind == TBarElement::Space ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
        for (int k = 0; k < e.width; ++k, ++x) ASSERT_EQ(image.pixel(x, kQuietZone + 10), expected) << "column " << x;
    }
    EXPECT_EQ(image.pixel(x, kQuietZone + 10), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(kQuietZone, kQuietZone - 1), qRgb(255, 255, 255));
}

TEST(DrawBarcode, drawsShortBarsOverTheLowerTwoFifths)
{
    TBarcodeStyle style;
    style.height = 50;
    const QImage image = Render(TBarType::bcCodePostNet, "1", style);
    // "51" then the short bars of digit 1: the first short bar starts at x = 2 + 4.
    const int shortBar = kQuietZone + 6;
    EXPECT_EQ(image.pixel(shortBar, kQuietZone + 29), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(shortBar, kQuietZone + 31), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(kQuietZone, kQuietZone + 1), qRgb(0, 0, 0));
}

TEST(DrawBarcode, keepsTheRotatedSymbolInsideItsBoxAndReadable)
{
    test::TempFolder folder;
    for (double angle : {90.0, 180.0, 270.0}) {
        TBarcodeStyle style;
        style.angle = angle;
        style.height = 60;
        const QImage image = Render(TBarType::bcCode128B, "ROTATED-1", style);
        EXPECT_EQ(test::ReadBarcodes(image, folder.str()), "CODE-128:ROTATED-1") << angle;
        // Nothing outside the box: the quiet zone stays white.
        for (int x = 0; x < image.width(); ++x) {
            ASSERT_EQ(image.pixel(x, kQuietZone - 2), qRgb(255, 255, 255)) << angle;
            ASSERT_EQ(image.pixel(x, image.height() - kQuietZone + 2), qRgb(255, 255, 255)) << angle;
        }
    }
}

bool HasInkInRows(const QImage& image, int fromRow, int toRow, QRgb ink)
{
    for (int y = fromRow; y < toRow; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == ink) return true;
    return false;
}

TEST(DrawBarcode, writesTheHumanReadableTextAtItsPosition)
{
    TBarcodeStyle style;
    style.height = 80;
    style.font.setPixelSize(16);
    style.fontColor = Qt::red;
    style.textMode = btmCode;
    style.textPosition = btpBottomCenter;
    const QImage bottom = Render(TBarType::bcCode128C, "123456", style);
    EXPECT_TRUE(HasInkInRows(bottom, kQuietZone + 60, kQuietZone + 81, qRgb(255, 0, 0)));
    EXPECT_FALSE(HasInkInRows(bottom, kQuietZone, kQuietZone + 40, qRgb(255, 0, 0)));
    style.textPosition = btpTopLeft;
    const QImage top = Render(TBarType::bcCode128C, "123456", style);
    EXPECT_TRUE(HasInkInRows(top, kQuietZone, kQuietZone + 20, qRgb(255, 0, 0)));
    EXPECT_FALSE(HasInkInRows(top, kQuietZone + 40, kQuietZone + 81, qRgb(255, 0, 0)));
    style.textMode = btmNone;
    EXPECT_FALSE(HasInkInRows(Render(TBarType::bcCode128C, "123456", style), 0, kQuietZone * 2 + 80, qRgb(255, 0, 0)));
}

TEST(DrawBarcode, restoresThePaintersFontPenAndBrush)
{
    QImage image(400, 100, QImage::Format_RGB32);
    QPainter painter(&image);
    const QPen pen(Qt::green, 3);
    const QBrush brush(Qt::blue);
    QFont font("Noto Sans CJK SC");
    font.setPixelSize(11);
    painter.setPen(pen);
    painter.setBrush(brush);
    painter.setFont(font);
    TBarcodeStyle style;
    style.textMode = btmTypeAndCode;
    DrawBarcode(painter, TBarType::bcCode39, "AB", 0, 0, style);
    EXPECT_EQ(painter.pen(), pen);
    EXPECT_EQ(painter.brush(), brush);
    EXPECT_EQ(painter.font(), font);
}

TEST(DrawBarcode, passesTheEncodersErrorsOn)
{
    QImage image(100, 100, QImage::Format_RGB32);
    QPainter painter(&image);
    EXPECT_THROW(DrawBarcode(painter, TBarType::bcCodeEAN13, "12x", 0, 0, {}), std::exception);
}

} // namespace
