#include <gtest/gtest.h>

#include <QImage>
#include <QPrinterInfo>
#include <filesystem>

#include "platform/datetime.h"
#include "platform/exception.h"
#include "print/pdfpages.h"
#include "print/qt/qtprintplatform.h"
#include "print/recordingprintplatform.h"
#include "support/tempfolder.h"

using namespace kiosk;
namespace fs = std::filesystem;

namespace {

TEST(PaperSettings, askForUserDefinedPaperOnlyWhenBothSizesAreGiven)
{
    EXPECT_EQ(PaperSettingsFor(2500, 1400), (TPaperSettings{kPaperUserDefined, 2500, 1400}));
    EXPECT_EQ(PaperSettingsFor(2500, 0), (TPaperSettings{kPaperFanfoldUS, 2500, 0}));
    EXPECT_EQ(PaperSettingsFor(0, 1400), (TPaperSettings{kPaperFanfoldUS, 0, 1400}));
}

TEST(FindPrinter, matchesNamesWithoutRegardToCase)
{
    const std::vector<std::string> printers{"Slip Printer", "Épson 打印机"};
    EXPECT_EQ(FindPrinter(printers, "SLIP printer"), "Slip Printer");
    EXPECT_EQ(FindPrinter(printers, "épson 打印机"), "Épson 打印机");
    EXPECT_FALSE(FindPrinter(printers, "Slip").has_value());
    EXPECT_FALSE(FindPrinter({}, "").has_value());
}

std::vector<fs::path> PdfFiles(const fs::path& folder)
{
    std::vector<fs::path> files;
    if (!fs::exists(folder)) return files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".pdf") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

class PdfPrinter : public ::testing::Test {
protected:
    void SetUp() override
    {
        DateTime::SetNowSource([] { return DateTime::FromParts(2024, 5, 17, 10, 30, 0, 123); });
    }
    void TearDown() override { DateTime::SetNowSource({}); }

    test::TempFolder folder;
    TQtPrintPlatform platform{folder.str(), TQtPrintPlatform::Mode::Pdf};
};

TEST_F(PdfPrinter, standsInAsTheOnlyAndDefaultPrinter)
{
    EXPECT_EQ(platform.Printers(), std::vector<std::string>{kPdfPrinterName});
    EXPECT_EQ(platform.DefaultPrinter(), kPdfPrinterName);
    platform.SelectPrinter(kPdfPrinterName);
    EXPECT_EQ(platform.SelectedPrinter(), kPdfPrinterName);
    EXPECT_EQ(platform.DpiX(), kPdfPrinterDpi);
    EXPECT_EQ(platform.DpiY(), kPdfPrinterDpi);
    EXPECT_GT(platform.ScreenDpi(), 0);
}

TEST_F(PdfPrinter, writesEachJobToAPdfNamedByTimeAndSheet)
{
    for (int sheet : {1, 2}) {
        platform.SetPaperSize(PaperSettingsFor(2500, sheet == 1 ? 1000 : 500));
        IPrintCanvas& canvas = platform.BeginJob("结算单", sheet);
        canvas.Line(0, 100, 1000, 100);
        platform.EndJob();
    }
    const auto files = PdfFiles(folder / "prints");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].filename(), "20240517-103000-123-1.pdf");
    EXPECT_EQ(files[1].filename(), "20240517-103000-123-2.pdf");
    EXPECT_EQ(platform.LastPdfFile(), files[1].string());

    // The paper was set freshly for each job: 250 × 100 mm, then 250 × 50 mm.
    const QImage first = test::RenderPdfPage(files[0].string(), kPdfPrinterDpi);
    const QImage second = test::RenderPdfPage(files[1].string(), kPdfPrinterDpi);
    ASSERT_FALSE(first.isNull());
    ASSERT_FALSE(second.isNull());
    EXPECT_NEAR(first.width(), 1998, 2);
    EXPECT_NEAR(first.height(), 799, 2);
    EXPECT_NEAR(second.height(), 400, 2);
    // The line runs along row 100 from the page's corner.
    EXPECT_LT(std::min({qGray(first.pixel(500, 99)), qGray(first.pixel(500, 100)), qGray(first.pixel(500, 101))}), 192);
    EXPECT_GT(qGray(first.pixel(500, 110)), 200);
    EXPECT_GT(qGray(first.pixel(1100, 100)), 200);
}

TEST_F(PdfPrinter, keepsJobsOfTheSameMomentApart)
{
    for (int i = 0; i < 2; ++i) {
        platform.SetPaperSize(PaperSettingsFor(2500, 1000));
        platform.BeginJob("slip", 7);
        platform.EndJob();
    }
    const auto files = PdfFiles(folder / "prints");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].filename(), "20240517-103000-123-7-2.pdf");
    EXPECT_EQ(files[1].filename(), "20240517-103000-123-7.pdf");
}

TEST_F(PdfPrinter, leavesNoFileForAnAbortedJob)
{
    platform.SetPaperSize(PaperSettingsFor(2500, 1000));
    platform.BeginJob("slip", 1).Line(0, 0, 10, 10);
    platform.AbortJob();
    EXPECT_TRUE(PdfFiles(folder / "prints").empty());
    // The printer takes the next job as usual.
    platform.BeginJob("slip", 2);
    platform.EndJob();
    EXPECT_EQ(PdfFiles(folder / "prints").size(), 1u);
}

TEST_F(PdfPrinter, usesFanfoldPaperWhenASizeIsMissing)
{
    platform.SetPaperSize(PaperSettingsFor(2500, 0));
    platform.BeginJob("slip", 1);
    platform.EndJob();
    const QImage page = test::RenderPdfPage(platform.LastPdfFile(), 72);
    EXPECT_NEAR(page.width(), 1071, 2);  // 14 7/8 in
    EXPECT_NEAR(page.height(), 792, 2);  // 11 in
}

TEST(QtPrintPlatform, fallsBackToThePdfPrinterWithoutSystemPrinters)
{
    test::TempFolder folder;
    const TQtPrintPlatform platform(folder.str());
    const bool none = QPrinterInfo::availablePrinterNames().isEmpty();
    EXPECT_EQ(platform.mode() == TQtPrintPlatform::Mode::Pdf, none);
    EXPECT_EQ(platform.PrintsFolder(), (folder.path() / "prints").string());
}

TEST(PainterCanvas, drawsTextWithItsTopLeftCornerAtThePointInPrinterPoints)
{
    test::TRecordingPrintPlatform platform;
    platform.dpiX = platform.dpiY = 300;
    platform.SetPaperSize(PaperSettingsFor(400, 200));
    IPrintCanvas& canvas = platform.BeginJob("t", 1);
    canvas.SetFont("微软雅黑", 12);  // 12 pt at 300 dpi: 50 pixels
    const int height = canvas.TextHeight("结算单");
    canvas.TextOut(100, 100, "结算单");
    platform.EndJob();
    EXPECT_GE(height, 50);
    EXPECT_LE(height, 80);
    const QImage& page = platform.jobs[0].page;
    EXPECT_EQ(page.size(), QSize(472, 236));
    int top = page.height(), left = page.width(), bottom = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 128) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                left = std::min(left, x);
            }
    // The ink lies in the text cell just right of and below the point.
    EXPECT_GE(left, 100);
    EXPECT_LE(left, 110);
    EXPECT_GE(top, 100);
    EXPECT_LE(top, 120);
    EXPECT_LE(bottom, 100 + height);
    EXPECT_EQ(platform.jobs[0].calls, (std::vector<std::string>{"font 微软雅黑 12", "text 100,100 结算单"}));
}

} // namespace
