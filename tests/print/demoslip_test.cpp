// One real print of the demo station's settlement-slip template: fetched from a running
// stationd, printed by the PDF printer into prints/, and read back as a person and a scanner
// would: pdftotext for the texts, pdftoppm for the picture, zbarimg for the barcode.
// With KIOSK_PRINT_DEMO_OUT set, the PDF and its picture are copied into that folder.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <QString>

#include "barcodereader.h"
#include "data/tjsonconnection.h"
#include "platform/datetime.h"
#include "print/pdfpages.h"
#include "print/qt/kestprint.h"
#include "print/qt/qtprintplatform.h"
#include "support/pdftext.h"
#include "support/staffsession.h"
#include "support/stationd_fixture.h"
#include "support/tempfolder.h"

using namespace kiosk;
namespace fs = std::filesystem;

namespace {

// A slip as the settlement screen fills it.
TPrintValues SlipValues()
{
    return {{"vehicleno", "粤A12345"}, {"seats", "45"}, {"vehicletype", "大型高一"}, {"route", "广州-深圳"},
            {"routedistance", "150"}, {"schedulecode", "K0830"}, {"departdate", "2024-05-01"},
            {"departtime", "08:30"}, {"checkedname", "自助检票"}, {"invoicesno", "000123"}, {"ticketnum", "20"},
            {"freetickets", "1"}, {"armtickets", "0"}, {"driver1", "张三"}, {"driver2", "李四"}, {"steward", "王五"},
            {"unitfullname", "广州汽车运输公司"}, {"balanceunit", "广州汽车运输公司"}, {"zwf", "50"},
            {"dlf", "20"}, {"ryf", "10"}, {"bxf", "5"}, {"ajf", "3"}, {"stationfee", "100"},
            {"totalamount", "1234.5"}, {"balanceamount", "1020.3"}, {"nostationtotalbalanceprice", "1134.5"},
            {"reprint", ""}, {"isovertime", "加班"}, {"printby", "kiosk01"}, {"printstation", "广州客运站"},
            {"ticketoutlet", "自助机一号"}, {"remarks", ""}};
}

TPrintRows SlipRows()
{
    return {{{"fromstation", "广州"}, {"reachstation", "东莞"}, {"fullpeople", "8"}, {"halfpeople", "1"},
             {"discountpeople", "0"}, {"price", "45"}, {"distance", "60"}, {"psdistance", "540"},
             {"totalamount", "382.5"}, {"balanceamount", "320"}},
            {{"fromstation", "广州"}, {"reachstation", "深圳"}, {"fullpeople", "10"}, {"halfpeople", "0"},
             {"discountpeople", "1"}, {"price", "80"}, {"distance", "150"}, {"psdistance", "1650"},
             {"totalamount", "852"}, {"balanceamount", "700.3"}}};
}

TEST(DemoSlip, printsToAPdfThatShowsItsTextsAmountsAndAReadableBarcode)
{
    DateTime::SetNowSource([] { return DateTime::FromParts(2024, 5, 1, 8, 31, 5); });
    stationd::test::Stationd station;
    test::TempFolder app;
    TjsonConnection connection;
    connection.SetURLHost("http://127.0.0.1:" + std::to_string(station.Port()) + "/KtBusWeb/");
    ASSERT_NO_THROW(test::StaffLogin(connection));
    TQtPrintPlatform printers(app.str(), TQtPrintPlatform::Mode::Pdf);

    const std::string name = TKestPrint::GetTicketModelName(app.str(), "结算单", "默认结算单");
    TKestPrint slip(nullptr, name, connection, printers);
    *slip.SingleValue = SlipValues();
    *slip.MultipleValue = SlipRows();
    slip.Print();
    DateTime::SetNowSource({});

    const std::string pdf = printers.LastPdfFile();
    ASSERT_TRUE(fs::exists(pdf));
    EXPECT_EQ(fs::path(pdf).parent_path(), app.path() / "prints");
    EXPECT_EQ(fs::path(pdf).filename(), "20240501-083105-000-1.pdf");

    // The embedded CJK font maps some glyphs to radicals (⼈ for 人); NFKC folds those back.
    const auto folded = [](const std::string& t) {
        return QString::fromStdString(t).normalized(QString::NormalizationForm_KC).toStdString();
    };
    const std::string text = folded(test::PdfText(pdf));
    for (const char* expected : {"客运站发班结算单", "粤A12345", "K0830", "加班", "45座", "150公里", "东莞", "382.50",
                                 "700.30", "币壹仟零贰拾元叁角", "2024年05月01日 08:31", "第1", "共1", "打单：kiosk01"})
        EXPECT_NE(text.find(folded(expected)), std::string::npos) << expected << "\n" << text;

    const QImage page = test::RenderPdfPage(pdf, 2 * kPdfPrinterDpi);
    ASSERT_FALSE(page.isNull());
    EXPECT_EQ(test::ReadBarcodesInFile(test::RenderedPageFile(pdf)), "CODE-128:000123");

    if (const char* out = std::getenv("KIOSK_PRINT_DEMO_OUT")) {
        fs::create_directories(out);
        fs::copy_file(pdf, fs::path(out) / "demoslip.pdf", fs::copy_options::overwrite_existing);
        fs::copy_file(test::RenderedPageFile(pdf), fs::path(out) / "demoslip.png", fs::copy_options::overwrite_existing);
    }
}

} // namespace
