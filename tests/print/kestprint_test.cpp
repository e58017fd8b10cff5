#include <gtest/gtest.h>

#include <QPainter>
#include <cmath>
#include <memory>
#include <string>

#include "barcodereader.h"
#include "data/tjsonconnection.h"
#include "platform/datetime.h"
#include "platform/exception.h"
#include "print/barcode.h"
#include "print/qt/kestprint.h"
#include "print/recordingprintplatform.h"
#include "print/templateserver.h"
#include "support/tempfolder.h"

using namespace kiosk;
using test::ItemRecord;
using test::TemplateRecord;

namespace {

std::string Pt(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

class KestPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        connection.SetURLHost(server.BaseURL());
        DateTime::SetNowSource([] { return DateTime::FromParts(2024, 5, 17, 9, 45, 30); });
    }
    void TearDown() override { DateTime::SetNowSource({}); }

    // A template with the given record and items, then an engine for it.
    TKestPrint& Engine(const TemplateRecord& record, const std::vector<ItemRecord>& items)
    {
        server.AddTemplate(record);
        for (auto item : items) {
            item.printtemplateid = record.id;
            server.AddItem(item);
        }
        engine = std::make_unique<TKestPrint>(nullptr, record.name, connection, printers);
        return *engine;
    }
    TKestPrint& Engine(const std::vector<ItemRecord>& items) { return Engine(TemplateRecord{}, items); }

    // The device pixel of a template distance at the double's 203 dpi.
    static int Dev(double tenthMm) { return test::TenthMmToPixels(tenthMm, 203); }

    std::string ErrorOfCreate(const std::string& name)
    {
        try {
            TKestPrint e(nullptr, name, connection, printers);
        } catch (const std::exception& e) {
            return e.what();
        }
        return "(no error)";
    }

    std::string ErrorOfPrint()
    {
        try {
            engine->Print();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "(no error)";
    }

    test::TemplateServer server;
    TjsonConnection connection;
    test::TRecordingPrintPlatform printers;
    std::unique_ptr<TKestPrint> engine;
};

ItemRecord Item(int kind, int left, int top, int width = 0, int height = 0)
{
    ItemRecord item;
    item.valuetype = kind;
    item.left = left;
    item.top = top;
    item.width = width;
    item.height = height;
    return item;
}
ItemRecord Text(int left, int top, const std::string& title)
{
    ItemRecord item = Item(1, left, top);
    item.title = title;
    return item;
}
ItemRecord Value(int kind, int left, int top, const std::string& code, std::optional<std::string> parameter = std::nullopt)
{
    ItemRecord item = Item(kind, left, top);
    item.itemcode = code;
    item.parameter = std::move(parameter);
    return item;
}
ItemRecord ListValue(int kind, int left, int top, const std::string& code, std::optional<std::string> parameter = std::nullopt)
{
    ItemRecord item = Value(kind, left, top, code, std::move(parameter));
    item.islist = true;
    return item;
}
ItemRecord Lines(int left, int top, int width, int height) { return Item(0, left, top, width, height); }

TPrintRows Rows(int count)
{
    TPrintRows rows;
    for (int i = 0; i < count; ++i) rows.push_back({{"station", "站" + std::to_string(i)}});
    return rows;
}

// ---- fetching the template

TEST_F(KestPrint, fetchesTheTemplateByNameAndItsItemsById)
{
    TemplateRecord record;
    record.id = 42;
    Engine(record, {Text(0, 0, "结算单")});
    EXPECT_EQ(server.Bodies("system/queryPrinttemplate"), std::vector<std::string>{"&filter_EQS_pt!name=默认结算单"});
    EXPECT_EQ(server.Bodies("system/queryPrinttemplateitem"), std::vector<std::string>{"&filter_EQL_pti!printtemplate.id=42"});
    EXPECT_EQ(engine->PrintTemplateItems().RecordCount(), 1);
    EXPECT_EQ(engine->Pagecount(), 1);
    EXPECT_TRUE(engine->SingleValue && engine->SingleValue->empty());
    EXPECT_TRUE(engine->MultipleValue && engine->MultipleValue->empty());
    EXPECT_FALSE(engine->currency);
    EXPECT_EQ(engine->billNoFieldName(), "");
    // The constructor asks for the paper of the first sheet: width + 2 × left, at least 2500.
    EXPECT_EQ(printers.paperRequests, (std::vector<TPaperSettings>{{kPaperUserDefined, 2500, 1300}}));
    EXPECT_EQ(engine->Px(), 203);
}

TEST_F(KestPrint, fetchesATemplateById)
{
    TemplateRecord record;
    record.id = 7;
    record.width = 2600;
    server.AddTemplate(record);
    ItemRecord item = Text(0, 0, "x");
    item.printtemplateid = 7;
    server.AddItem(item);
    const TKestPrint byId(nullptr, std::int64_t(7), connection, printers);
    EXPECT_EQ(server.Bodies("system/queryPrinttemplate"), std::vector<std::string>{"&filter_EQL_pt!id=7"});
    EXPECT_EQ(printers.paperRequests.back(), (TPaperSettings{kPaperUserDefined, 2700, 1300}));
}

TEST_F(KestPrint, refusesMissingDuplicatedAndEmptyTemplates)
{
    EXPECT_EQ(ErrorOfCreate("无此模板"), "找不到打印模板：无此模板");
    TemplateRecord twice;
    twice.name = "重复";
    server.AddTemplate(twice);
    twice.id = 2;
    server.AddTemplate(twice);
    EXPECT_EQ(ErrorOfCreate("重复"), "打印模板：重复名称重复");
    TemplateRecord empty;
    empty.id = 3;
    empty.name = "空模板";
    server.AddTemplate(empty);
    EXPECT_EQ(ErrorOfCreate("空模板"), "打印模板：空模板的明细为空");
    try {
        TKestPrint e(nullptr, std::int64_t(99), connection, printers);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "找不到打印模板：");
    }
}

TEST_F(KestPrint, passesAServerFailureOnAsTheDatasetsError)
{
    TjsonConnection dead;
    dead.SetURLHost("http://127.0.0.1:1/KtBusWeb/");
    dead.SetConnectTimeout(500);
    EXPECT_THROW(TKestPrint(nullptr, "默认结算单", dead, printers), Exception);
}

// ---- printers and paper

TEST_F(KestPrint, selectsTheTemplatesPrinterWithoutRegardToCase)
{
    TemplateRecord record;
    record.printername = "SLIP printer";
    Engine(record, {Text(0, 0, "x")}).Print();
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_EQ(printers.jobs[0].printer, "Slip Printer");
}

TEST_F(KestPrint, printsOnTheDefaultPrinterWhenTheNamedOneIsMissing)
{
    TemplateRecord record;
    record.printername = "结算单打印机";
    Engine(record, {Text(0, 0, "x")}).Print();
    EXPECT_EQ(printers.jobs.at(0).printer, "Office Laser");
}

TEST_F(KestPrint, alternatesThePaperLengthWithTheSheetCounterAcrossPrints)
{
    TemplateRecord record;
    record.height = 1300;
    record.heightcorrection = 0;
    TKestPrint& e = Engine(record, {Text(0, 0, "x")});
    e.Print();
    e.Print();
    e.Print();
    ASSERT_EQ(printers.jobs.size(), 3u);
    EXPECT_EQ(printers.jobs[0].paper, (TPaperSettings{kPaperUserDefined, 2500, 1300}));
    // A paper length of 0 asks for the fanfold paper.
    EXPECT_EQ(printers.jobs[1].paper, (TPaperSettings{kPaperFanfoldUS, 2500, 0}));
    EXPECT_EQ(printers.jobs[2].paper, (TPaperSettings{kPaperUserDefined, 2500, 1300}));
    EXPECT_EQ(printers.jobs[2].sheet, 3);
    EXPECT_EQ(e.Pagecount(), 4);
    EXPECT_EQ(printers.jobs[0].page.size(), QSize(Dev(2500), Dev(1300)));
}

TEST_F(KestPrint, readsTheResolutionOfTheSelectedPrinterAtEveryPrint)
{
    TKestPrint& e = Engine({Text(254, 254, "x")});
    printers.dpiX = 300;
    printers.dpiY = 600;
    e.Print();
    EXPECT_EQ(e.Px(), 300);
    EXPECT_EQ(e.Py(), 600);
    // (254 + 50) tenths of a millimetre at 300 and 600 dpi.
    EXPECT_EQ(printers.CallsOf(0, "text "), std::vector<std::string>{Pt(359, 718) + " x"});
    EXPECT_EQ(printers.CallsOf(0, "font "), std::vector<std::string>{"微软雅黑 10"});
}

// ---- pages and list rows

TEST_F(KestPrint, printsOnePageWithoutListRows)
{
    TKestPrint& e = Engine({Value(2, 0, 0, "totalpage"), Value(2, 100, 0, "pageno")});
    EXPECT_EQ(e.CurPrintPageCount(), 1);
    e.MultipleValue.reset();
    EXPECT_EQ(e.CurPrintPageCount(), 1);
    e.Print();
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_EQ(printers.CallsOf(0, "text "), (std::vector<std::string>{Pt(Dev(50), Dev(50)) + " 1", Pt(Dev(150), Dev(50)) + " 1"}));
}

TEST_F(KestPrint, countsPagesByRowsAndColumnsPerPage)
{
    TemplateRecord record;
    record.rowperpage = 10;
    record.columnsperpage = 2;
    TKestPrint& e = Engine(record, {Text(0, 0, "x")});
    EXPECT_EQ(e.getPrintPageCount(0), 1);
    EXPECT_EQ(e.getPrintPageCount(20), 1);
    EXPECT_EQ(e.getPrintPageCount(21), 2);
    EXPECT_EQ(e.getPrintPageCount(45), 3);
}

TEST_F(KestPrint, fillsColumnsTopToBottomAndPrintsTheLastRowsOnTheLastPage)
{
    TemplateRecord record;
    record.width = 2000;
    record.rowperpage = 10;
    record.columnsperpage = 2;
    record.rowspace = 20;
    TKestPrint& e = Engine(record, {ListValue(2, 100, 400, "station"), Value(2, 0, 0, "totalpage", "共%d页")});
    *e.MultipleValue = Rows(45);
    e.Print();
    ASSERT_EQ(printers.jobs.size(), 3u);
    const auto first = printers.CallsOf(0, "text ");
    ASSERT_EQ(first.size(), 21u);
    // Row 0 and row 10 start the two columns; column pitch is width / columns.
    const int height = [&] {
        QImage probe(10, 10, QImage::Format_RGB32);
        probe.setDotsPerMeterY(int(std::lround(203 / 0.0254)));
        QPainter painter(&probe);
        TPainterCanvas canvas(painter, 203);
        canvas.SetFont("微软雅黑", 10);
        return canvas.TextHeight("站0");
    }();
    EXPECT_EQ(first[0], Pt(Dev(150), Dev(450)) + " 站0");
    EXPECT_EQ(first[1], Pt(Dev(150), Dev(470) + height) + " 站1");
    EXPECT_EQ(first[10], Pt(Dev(1150), Dev(450)) + " 站10");
    EXPECT_EQ(first[20], Pt(Dev(50), Dev(50)) + " 共3页");
    const auto last = printers.CallsOf(2, "text ");
    ASSERT_EQ(last.size(), 6u);
    EXPECT_EQ(last[0], Pt(Dev(150), Dev(450)) + " 站40");
    EXPECT_EQ(last[4], Pt(Dev(150), Dev(450 + 80) + 4 * height) + " 站44");
}

TEST_F(KestPrint, refusesListRowsThatNoPageCanTake)
{
    TemplateRecord record;
    record.rowperpage = 0;
    TKestPrint& e = Engine(record, {ListValue(2, 0, 0, "station")});
    EXPECT_EQ(e.getPrintPageCount(0), 1);
    *e.MultipleValue = Rows(1);
    EXPECT_EQ(ErrorOfPrint(), "打印模板：默认结算单的每页行数或列数无效");
    EXPECT_TRUE(printers.jobs.empty());
}

// ---- single values

TEST_F(KestPrint, advancesTheBillNumberByThePageIndex)
{
    TemplateRecord record;
    record.rowperpage = 1;
    TKestPrint& e = Engine(record, {Value(2, 0, 0, "billno"), ListValue(2, 0, 100, "station")});
    e.setBillNoFieldName("billno");
    *e.SingleValue = {{"billno", "000123"}};
    *e.MultipleValue = Rows(2);
    e.Print();
    ASSERT_EQ(printers.jobs.size(), 2u);
    EXPECT_EQ(printers.CallsOf(0, "text ")[0], Pt(Dev(50), Dev(50)) + " 000123");
    EXPECT_EQ(printers.CallsOf(1, "text ")[0], Pt(Dev(50), Dev(50)) + " 000124");
    EXPECT_EQ(e.GetSingleValue("billno", 2), "000125");
    (*e.SingleValue)["billno"] = "99";
    EXPECT_EQ(e.GetSingleValue("billno", 1), "100");
    (*e.SingleValue)["billno"] = " ";
    EXPECT_EQ(e.GetSingleValue("billno", 1), " ");
    (*e.SingleValue)["billno"] = "";
    printers.jobs.clear();
    e.Print();
    EXPECT_EQ(printers.CallsOf(1, "text ").size(), 1u);  // only the row
}

TEST_F(KestPrint, givesReservedCodesPrecedence)
{
    TemplateRecord record;
    record.rowperpage = 1;
    TKestPrint& e = Engine(record, {Value(2, 0, 0, "pageno"), Value(2, 0, 100, "printtime")});
    *e.SingleValue = {{"pageno", "九"}, {"printtime", "never"}};
    *e.MultipleValue = Rows(2);
    e.Print();
    EXPECT_EQ(printers.CallsOf(1, "text ")[0], Pt(Dev(50), Dev(50)) + " 2");
    EXPECT_EQ(printers.CallsOf(1, "text ")[1], Pt(Dev(50), Dev(150)) + " 2024-05-17 09:45:30");
    EXPECT_EQ(e.GetSingleValue("totalpage", 0), "2");
    EXPECT_EQ(e.GetSingleValue("PageNo", 0), "");
    EXPECT_EQ(e.GetSingleValue("missing", 0), "");
}

TEST_F(KestPrint, printsNothingForAnEmptySingleValueOfAnyKind)
{
    TKestPrint& e = Engine({Value(2, 0, 0, "a"), Value(3, 0, 0, "a", "1"), Value(4, 0, 0, "a", "1"),
                            Value(5, 0, 0, "a"), Value(6, 0, 0, "a", "bcCodeEAN13"), Value(7, 0, 0, "a")});
    *e.SingleValue = {{"a", ""}};
    e.Print();
    EXPECT_TRUE(printers.jobs.at(0).calls.empty());
    e.SingleValue.reset();
    e.Print();
    EXPECT_TRUE(printers.jobs.at(1).calls.empty());
}

TEST_F(KestPrint, takesTheCallersOwnContainers)
{
    TKestPrint& e = Engine({Value(2, 0, 0, "a")});
    auto mine = std::make_shared<TPrintValues>(TPrintValues{{"a", "mine"}});
    e.SingleValue = mine;
    e.Print();
    EXPECT_EQ(printers.CallsOf(0, "text ")[0], Pt(Dev(50), Dev(50)) + " mine");
}

// ---- item kinds

TEST_F(KestPrint, drawsLinesAndBoxesAlongTheItemsRectangle)
{
    TemplateRecord record;
    record.left = 0;
    record.top = 0;
    Engine(record, {Lines(100, 100, 0, 50), Lines(100, 300, 300, 0), Lines(500, 500, 200, 100), Lines(0, 0, 1, 1)}).Print();
    const int x = Dev(100), w = Dev(300);
    EXPECT_EQ(printers.CallsOf(0, "line "),
              (std::vector<std::string>{
                  Pt(x, Dev(100)) + " " + Pt(x, Dev(100) + Dev(50)),          // vertical, 5 mm
                  Pt(x, Dev(300)) + " " + Pt(x + w, Dev(300)),                // horizontal
                  Pt(Dev(500), Dev(500)) + " " + Pt(Dev(500), Dev(500) + Dev(100)),  // box
                  Pt(Dev(500) + Dev(200), Dev(500) + Dev(100)) + " " + Pt(Dev(500) + Dev(200), Dev(500)),
                  Pt(Dev(500), Dev(500) + Dev(100)) + " " + Pt(Dev(500) + Dev(200), Dev(500) + Dev(100)),
                  Pt(Dev(500) + Dev(200), Dev(500)) + " " + Pt(Dev(500), Dev(500)),
              }));
    // The page shows the vertical line 5 mm long.
    const QImage& page = printers.jobs[0].page;
    EXPECT_LT(qGray(page.pixel(x, Dev(100) + 20)), 128);
    EXPECT_GT(qGray(page.pixel(x, Dev(100) + Dev(50) + 3)), 128);
}

TEST_F(KestPrint, formatsValuesOfKindTwo)
{
    TKestPrint& e = Engine({Value(2, 0, 0, "a", "%.2f"), Value(2, 0, 100, "b", "%d"), Value(2, 0, 200, "c", "%d"),
                            Value(2, 0, 300, "d")});
    *e.SingleValue = {{"a", "12.5"}, {"b", "12"}, {"c", "12.5"}, {"d", "12.5"}};
    e.Print();
    EXPECT_EQ(printers.CallsOf(0, "text "),
              (std::vector<std::string>{Pt(Dev(50), Dev(50)) + " 12.50", Pt(Dev(50), Dev(150)) + " 12",
                                        Pt(Dev(50), Dev(250)) + " 12.5", Pt(Dev(50), Dev(350)) + " 12.5"}));
}

TEST_F(KestPrint, printsAmountDigitsCapitalsAndDateTimes)
{
    TKestPrint& e = Engine({Value(3, 0, 0, "amount", "4"), Value(4, 100, 0, "amount", "-1"), Value(4, 200, 0, "amount", "5"),
                            Value(7, 0, 100, "amount", "人民币%s"), Value(5, 0, 200, "departed", "yyyy年mm月dd日 hh:nn"),
                            Value(5, 0, 300, "dotted", "hh:nn")});
    e.currency = true;
    *e.SingleValue = {{"amount", "1234.5"}, {"departed", "2024-05-17 08:05:00"}, {"dotted", "2024.05.17 18:30:00"}};
    e.Print();
    EXPECT_EQ(printers.CallsOf(0, "text "),
              (std::vector<std::string>{Pt(Dev(50), Dev(50)) + " 壹", Pt(Dev(150), Dev(50)) + " 5",
                                        Pt(Dev(250), Dev(50)) + " ￥", Pt(Dev(50), Dev(150)) + " 人民币壹仟贰佰叁拾肆元伍角",
                                        Pt(Dev(50), Dev(250)) + " 2024年05月17日 08:05", Pt(Dev(50), Dev(350)) + " 18:30"}));
}

TEST_F(KestPrint, readsListDateTimesWithDashesOnly)
{
    TKestPrint& e = Engine({ListValue(5, 0, 0, "when", "mm-dd")});
    *e.MultipleValue = {{{"when", "2024-05-17 08:00:00"}}};
    e.Print();
    EXPECT_EQ(printers.CallsOf(0, "text "), std::vector<std::string>{Pt(Dev(50), Dev(50)) + " 05-17"});
    *e.MultipleValue = {{{"when", "2024.05.17 08:00:00"}}};
    EXPECT_EQ(ErrorOfPrint(), "“2024.05.17 08:00:00”不是有效的日期时间");
}

TEST_F(KestPrint, drawsTheBarcodeBitmapAtScreenResolutionThatAReaderDecodes)
{
    ItemRecord barcode = Value(6, 100, 100, "invoicesno", "BCCODE128B");
    barcode.height = 120;
    TKestPrint& e = Engine({barcode});
    *e.SingleValue = {{"invoicesno", "000123"}};
    e.Print();
    const int width = int(BarcodeWidth(TBarType::bcCode128B, "000123", 2, kCheckSumNone, 2.0));
    const int height = int(std::lround(120 / 254.0 * 96));
    EXPECT_EQ(printers.CallsOf(0, "bitmap "),
              std::vector<std::string>{Pt(Dev(150), Dev(150)) + " " + std::to_string(width) + "x" + std::to_string(height)});
    test::TempFolder folder;
    EXPECT_EQ(test::ReadBarcodes(printers.jobs[0].page, folder.str()), "CODE-128:000123");
}

TEST_F(KestPrint, drawsTheSingleBarcodeAtEveryListRow)
{
    ItemRecord barcode = ListValue(6, 0, 0, "code", "bcCode39");
    barcode.height = 50;
    TKestPrint& e = Engine({barcode});
    *e.MultipleValue = Rows(3);
    EXPECT_EQ(ErrorOfPrint(), "Item not found");
    EXPECT_FALSE(printers.JobOpen());
    *e.SingleValue = {{"code", "AB"}};
    e.Print();
    EXPECT_EQ(printers.CallsOf(1, "bitmap ").size(), 3u);
}

TEST_F(KestPrint, skipsItemsNotToPrintAndUnknownKinds)
{
    ItemRecord hidden = Text(0, 0, "hidden");
    hidden.isprint = false;
    ItemRecord undecided = Value(2, 0, 0, "a");
    undecided.islist = std::nullopt;
    ItemRecord untitled = Text(0, 0, "");
    untitled.title = std::nullopt;
    TKestPrint& e = Engine({hidden, undecided, untitled, Value(9, 0, 0, "a"), Text(0, 0, "shown")});
    *e.SingleValue = {{"a", "value"}};
    e.Print();
    EXPECT_EQ(printers.CallsOf(0, "text "), std::vector<std::string>{Pt(Dev(50), Dev(50)) + " shown"});
}

struct FailureCase {
    ItemRecord item;
    std::string value;
    std::string error;
};

class KestPrintFailures : public KestPrint, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(KestPrintFailures, abortTheJobInProgressAndReachTheCaller)
{
    TKestPrint& e = Engine({Text(0, 0, "before"), GetParam().item});
    *e.SingleValue = {{"v", GetParam().value}};
    *e.MultipleValue = {{{"other", "x"}}};
    EXPECT_EQ(ErrorOfPrint(), GetParam().error);
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_TRUE(printers.jobs[0].aborted);
    EXPECT_FALSE(printers.jobs[0].ended);
    EXPECT_EQ(e.Pagecount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Items, KestPrintFailures,
    ::testing::Values(
        FailureCase{Value(3, 0, 0, "v", "1"), "abc", "“abc”不是有效的浮点数"},
        FailureCase{Value(4, 0, 0, "v", "x"), "1.5", "“x”不是有效的整数值"},
        FailureCase{Value(7, 0, 0, "v"), "1e20", "金额超出范围：1e+20"},
        FailureCase{Value(5, 0, 0, "v", "yyyy"), "17/05/2024", "“17/05/2024”不是有效的日期时间"},
        FailureCase{Value(6, 0, 0, "v", "EAN13"), "123", "Wrong barcode type."},
        FailureCase{Value(6, 0, 0, "v", "bcCodeEAN13"), "12x", "12x : Barcode must be numeric."},
        // A list row without the item's code gives the empty text, which no number reads.
        FailureCase{ListValue(4, 0, 0, "v", "1"), "1", "“”不是有效的浮点数"}));

// ---- PrintConfig.ini

TEST(GetTicketModelName, storesTheDefaultOnceAndThenReadsTheStoredName)
{
    test::TempFolder folder;
    EXPECT_EQ(TKestPrint::GetTicketModelName(folder.str(), "结算单", "默认结算单"), "默认结算单");
    EXPECT_NE(folder.Read("PrintConfig.ini").find("templateName=默认结算单"), std::string::npos);
    folder.Write("PrintConfig.ini", "[结算单]\ntemplateName=大结算单\n");
    EXPECT_EQ(TKestPrint::GetTicketModelName(folder.str(), "结算单", "默认结算单"), "大结算单");
    folder.Write("PrintConfig.ini", "[结算单]\ntemplateName=0\n");
    EXPECT_EQ(TKestPrint::GetTicketModelName(folder.str(), "结算单", "默认结算单"), "默认结算单");
}

} // namespace
