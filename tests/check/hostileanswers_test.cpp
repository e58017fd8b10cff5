// Well-formed but extreme answers of a misconfigured, buggy or impersonated station server, run
// through the kiosk's real code: the query, the seat picture caches and the seat loader, the
// print engine, and the boxes and status line that show a server's text. Every case must end
// in the right result or a clear error, in bounded time and memory; each prints its time and
// peak memory so that the figures can be compared between builds.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include "core/coreservices.h"
#include "core/logininfo.h"
#include "core/sysservice.h"
#include "data/tjsonconnection.h"
#include "platform/datetime.h"
#include "platform/exception.h"
#include "print/qt/kestprint.h"
#include "print/recordingprintplatform.h"
#include "seatplan/seatpichelp.h"
#include "seatplan/seatplanloader.h"
#include "seatplan/seatserver.h"
#include "seatplan/view/seatpicturecache.h"
#include "support/qtapp.h"
#include "support/tempfolder.h"
#include "widgets/dialogs.h"
#include "widgets/screentext.h"

using namespace kiosk;
using nlohmann::json;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// A bound no case comes near on a loaded machine under the sanitizers; the figures printed by
// each case are what to read.
constexpr double kGenerousSeconds = 20;

std::int64_t StatusKb(const std::string& key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::stoll(line.substr(key.size()));
    return 0;
}

struct Usage {
    double seconds = 0;
    std::int64_t peakMb = 0;  // peak resident memory above the resident memory at the start
};

// Runs `work` with the peak resident size reset to the current one first.
Usage Measure(const std::function<void()>& work)
{
    std::ofstream("/proc/self/clear_refs") << "5";
    const std::int64_t before = StatusKb("VmRSS:");
    const auto start = std::chrono::steady_clock::now();
    work();
    Usage usage;
    usage.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    usage.peakMb = (StatusKb("VmHWM:") - before) / 1024;
    return usage;
}

// ---- answers

std::string Table(const std::string& list, const json& types, const std::string& rowsText)
{
    json rest = {{list + "_type", types}, {list + "_typelength", json::object()}, {"flag", 1}, {"msg", ""}};
    std::string text = rest.dump();
    text.pop_back();
    return text + ",\"" + list + "\":" + rowsText + "}";
}

std::string Table(const std::string& list, const json& types, const json& rows) { return Table(list, types, rows.dump()); }

// `count` copies of `row` as a JSON array text.
std::string RepeatedRows(const std::string& row, std::size_t count)
{
    std::string text = "[";
    text.reserve(count * (row.size() + 1) + 2);
    for (std::size_t i = 0; i < count; ++i) {
        if (i) text += ',';
        text += row;
    }
    return text + "]";
}

json TemplateRecord(const json& changes)
{
    json record = {{"id", 1},           {"name", "默认结算单"}, {"printername", "Slip Printer"},
                   {"width", 2000},     {"left", 50},           {"top", 50},
                   {"height", 1300},    {"heightcorrection", 1200}, {"rowperpage", 6},
                   {"columnsperpage", 1}, {"rowspace", 10}};
    if (changes.is_object()) record.update(changes);
    return record;
}

json Item(const json& changes)
{
    json item = {{"isprint", true}, {"valuetype", 2},  {"left", 0},      {"top", 0},
                 {"width", 0},      {"height", 0},     {"title", nullptr}, {"fontname", "微软雅黑"},
                 {"fontsize", 10},  {"islist", false}, {"itemcode", "a"}, {"parameter", nullptr}};
    if (changes.is_object()) item.update(changes);
    return item;
}

const json kTemplateTypes = {{"id", "Long"},         {"name", "String"},       {"printername", "String"},
                             {"width", "BigDecimal"}, {"left", "BigDecimal"},   {"top", "BigDecimal"},
                             {"height", "BigDecimal"}, {"heightcorrection", "BigDecimal"}, {"rowperpage", "Integer"},
                             {"columnsperpage", "Integer"}, {"rowspace", "BigDecimal"}};
const json kItemTypes = {{"isprint", "Boolean"}, {"valuetype", "Integer"}, {"left", "BigDecimal"},
                         {"top", "BigDecimal"},  {"width", "BigDecimal"},  {"height", "BigDecimal"},
                         {"title", "String"},    {"fontname", "String"},   {"fontsize", "Integer"},
                         {"islist", "Boolean"},  {"itemcode", "String"},   {"parameter", "String"}};

// A JPEG of a few hundred bytes whose header claims `side` × `side` pixels.
std::string ClaimingJpegHex(int side)
{
    QImage small(8, 8, QImage::Format_RGB32);
    small.fill(Qt::white);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    small.save(&buffer, "JPEG");
    const qsizetype sof = bytes.indexOf(QByteArray("\xFF\xC0", 2));
    if (sof < 0) return {};
    bytes[sof + 5] = char(side >> 8);
    bytes[sof + 6] = char(side & 0xFF);
    bytes[sof + 7] = char(side >> 8);
    bytes[sof + 8] = char(side & 0xFF);
    return bytes.toHex().toUpper().toStdString();
}

// ---- the fixture

class HostileAnswers : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureApplication(); }

    void SetUp() override
    {
        FreeSysService();
        FreeFactoryManager();
        RegisterCoreServices(folder.str());
        RegisterDialogService();
        auto user = std::make_shared<TLoginUserInfo>();
        user->StationID = 7;
        GetSysInfo()->setLoginUserInfo(user);
        connection.SetURLHost(server.BaseURL());
        SetSeatPlanConnection(&connection);
        TSeatPictureCache::Instance().Clear();
    }
    void TearDown() override
    {
        TSeatPictureCache::Instance().Clear();
        SetSeatPlanConnection(nullptr);
        FreeSysService();
        FreeFactoryManager();
    }

    void Report(const char* name, const Usage& usage)
    {
        std::printf("[ figures  ] %-34s %7.3f s %6lld MB\n", name, usage.seconds, static_cast<long long>(usage.peakMb));
        RecordProperty(std::string(name) + "_ms", int(usage.seconds * 1000));
        RecordProperty(std::string(name) + "_mb", int(usage.peakMb));
        EXPECT_LT(usage.seconds, kGenerousSeconds) << name;
    }

    // The three picture lists of the seat views: `tickettypes` as the ticket types' pictures.
    void ServeSeatPictures(const json& tickettypes)
    {
        server.AnswerText("base/findTickettype", Table("tickettypemap", {{"code", "String"}, {"soldpicture", "String"}}, tickettypes));
        server.AnswerText("base/qryvehiclespacesoldpicture",
                          Table("vehiclespacesoldpicturemap", {{"vehiclespaceid", "Long"}}, json::array()));
        server.AnswerText("base/qryseatstatuspicture", Table("seatstatuspicturemap", {{"seatstatus", "String"}}, json::array()));
    }

    // A template with one record and `items`, served for the print engine.
    void ServeTemplate(const json& changes, const json& items)
    {
        server.AnswerText("system/queryPrinttemplate", Table("printtemplatelist", kTemplateTypes, json::array({TemplateRecord(changes)})));
        server.AnswerText("system/queryPrinttemplateitem", Table("printtemplateitemlist", kItemTypes, items));
    }

    // The text of the error that creating the engine and printing once ends in, or "".
    std::string PrintError(const TPrintValues& single, std::size_t listRows)
    {
        try {
            TKestPrint engine(nullptr, "默认结算单", connection, printers);
            *engine.SingleValue = single;
            for (std::size_t i = 0; i < listRows; ++i) engine.MultipleValue->push_back({{"a", "行" + std::to_string(i)}});
            engine.Print();
        } catch (const std::exception& e) {
            return e.what();
        }
        return {};
    }

    // The text of the error that opening a query of `list` on the served answer ends in, or "".
    std::string QueryError(const std::string& list, int* records = nullptr, int* fields = nullptr)
    {
        auto ds = NewSeatPlanQuery("jcdsHostile", "base/hostile", list, &connection);
        try {
            ds->Open();
        } catch (const std::exception& e) {
            return e.what();
        }
        if (records) *records = ds->RecordCount();
        if (fields) *fields = ds->FieldCount();
        return {};
    }

    test::TempFolder folder;
    test::SeatServer server;
    TjsonConnection connection;
    test::TRecordingPrintPlatform printers;
};

// ---- printing

TEST_F(HostileAnswers, listLayoutsVisitOnlyTheRowsThatExist)
{
    ServeTemplate({{"rowperpage", 2147483647}, {"columnsperpage", 2147483647}},
                  json::array({Item({{"islist", true}})}));
    std::string error = "(not run)";
    Report("rows and columns 2147483647", Measure([&] { error = PrintError({}, 3); }));
    EXPECT_EQ(error, "");
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_EQ(printers.CallsOf(0, "text ").size(), 3u);
}

struct PrintCase {
    const char* name;
    json changes;   // of the template record
    json item;      // the one item
    std::size_t listRows;
    TPrintValues single;
    std::string error;
};

class HostilePrints : public HostileAnswers, public ::testing::WithParamInterface<PrintCase> {};

// Sizes no paper can hold, and products that wrap, are refused before anything is drawn or
// computed from them, with the template's name in the text.
TEST_P(HostilePrints, areRefusedWithAPrintError)
{
    const PrintCase& c = GetParam();
    ServeTemplate(c.changes, json::array({c.item}));
    std::string error;
    Report(c.name, Measure([&] { error = PrintError(c.single, c.listRows); }));
    EXPECT_EQ(error, c.error);
    EXPECT_FALSE(printers.JobOpen());
    for (const auto& job : printers.jobs) EXPECT_FALSE(job.ended) << "a page was printed";
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, HostilePrints,
    ::testing::Values(
        PrintCase{"paper width overflows", {{"width", 2147483647}, {"left", 1}}, Item({}), 0, {},
                  "打印模板：默认结算单的width超出范围：2147483647"},
        PrintCase{"line at 2147483647", {}, Item({{"valuetype", 0}, {"left", 2147483647}, {"width", 10}}), 0, {},
                  "打印模板：默认结算单的明细left超出范围：2147483647"},
        PrintCase{"line at 1e300", {}, Item({{"valuetype", 0}, {"top", 1e300}, {"height", 10}}), 0, {},
                  "打印模板：默认结算单的明细top超出范围：1e+300"},
        PrintCase{"font of 1e6 points", {}, Item({{"fontsize", 1000000}}), 0, {{"a", "x"}},
                  "打印模板：默认结算单的明细fontsize超出范围：1000000"},
        PrintCase{"page of 1e9", {{"height", 1e9}}, Item({}), 0, {}, "打印模板：默认结算单的height超出范围：1000000000"},
        PrintCase{"negative page", {{"heightcorrection", -100}}, Item({}), 0, {},
                  "打印模板：默认结算单的heightcorrection超出范围：-100"},
        PrintCase{"rows -1 columns -2147483648", {{"rowperpage", -1}, {"columnsperpage", -2147483647 - 1}},
                  Item({{"islist", true}}), 3, {}, "打印模板：默认结算单的每页行数或列数无效"},
        PrintCase{"barcode of 10000 characters", {},
                  Item({{"valuetype", 6}, {"height", 120}, {"parameter", "bcCode128B"}}), 0,
                  {{"a", std::string(10000, 'A')}}, "打印模板：默认结算单的条码超出纸张范围"},
        PrintCase{"list row beyond any page", {{"rowperpage", 2147483647}, {"rowspace", 30000}},
                  Item({{"islist", true}}), 200, {}, "打印模板：默认结算单的明细超出纸张范围"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

// ---- answers and rows

TEST_F(HostileAnswers, manyColumnsLoadInTimeProportionalToTheAnswer)
{
    json types = json::object();
    constexpr int kColumns = 200000;
    for (int i = 0; i < kColumns; ++i) types["c" + std::to_string(i)] = "String";
    server.AnswerText("base/hostile", Table("rows", types, std::string("[{}]")));
    int records = 0, fields = 0;
    std::string error = "(not run)";
    Report("200000 columns", Measure([&] { error = QueryError("rows", &records, &fields); }));
    EXPECT_EQ(error, "");
    EXPECT_EQ(fields, kColumns);
    EXPECT_EQ(records, 1);
}

TEST_F(HostileAnswers, duplicateColumnsAmongManyAreFound)
{
    std::string types = "{";
    for (int i = 0; i < 100000; ++i) types += "\"c" + std::to_string(i) + "\":\"String\",";
    types += "\"C99999\":\"String\"}";
    server.AnswerText("base/hostile", "{\"rows\":[],\"rows_type\":" + types + ",\"rows_typelength\":{},\"flag\":1,\"msg\":\"\"}");
    std::string error;
    Report("100000 columns, one twice", Measure([&] { error = QueryError("rows"); }));
    EXPECT_EQ(error, "字段“C99999”重复服务器传输的数据格式有误！");
}

TEST_F(HostileAnswers, emptyRowsCostMemoryInProportionToTheAnswer)
{
    // 8 MB of empty row objects for a table of three columns.
    const std::size_t rows = 8 * 1024 * 1024 / 3;
    server.AnswerText("base/hostile",
                      Table("rows", json{{"a", "String"}, {"b", "Integer"}, {"c", "BigDecimal"}}, RepeatedRows("{}", rows)));
    int records = 0;
    std::string error = "(not run)";
    const Usage usage = Measure([&] { error = QueryError("rows", &records); });
    Report("8 MB of empty rows", usage);
    EXPECT_EQ(error, "");
    EXPECT_EQ(records, int(rows));
    EXPECT_LT(usage.peakMb, kSanitized ? 700 : 400);
}

// The kiosk runs out of memory for an answer: the failure says so in the kiosk's words.
TEST_F(HostileAnswers, anAnswerTooLargeForTheMemoryIsReportedInTheKiosksWords)
{
    server.AnswerText("base/hostile", Table("rows", json{{"a", "String"}}, RepeatedRows("{}", 63 * 1024 * 1024 / 3)));
    rlimit saved{};
    getrlimit(RLIMIT_AS, &saved);
    // The sanitizer build gets its limit from the test's allocator options (a limit on the
    // address space would stop the sanitizer itself); elsewhere the address space is limited.
    if (!kSanitized) {
        rlimit limited = saved;
        limited.rlim_cur = rlim_t(StatusKb("VmSize:") + 300 * 1024) * 1024;
        setrlimit(RLIMIT_AS, &limited);
    }
    std::string error;
    Report("63 MB of empty rows, no memory", Measure([&] { error = QueryError("rows"); }));
    if (!kSanitized) setrlimit(RLIMIT_AS, &saved);
    EXPECT_EQ(error, "内存不足，无法载入服务器返回的数据！");
}

// ---- seat pictures and seat states

TEST_F(HostileAnswers, picturesNoSeatCellCouldShowAreRefusedBeforeDecoding)
{
    const std::string huge = ClaimingJpegHex(5000);
    ASSERT_FALSE(huge.empty());
    json rows = json::array();
    for (int i = 0; i < 40; ++i) rows.push_back({{"code", "T" + std::to_string(i)}, {"soldpicture", huge}});
    ServeSeatPictures(rows);
    TSeatPictureCache& cache = TSeatPictureCache::Instance();
    const Usage usage = Measure([&] { cache.EnsureSeatPictures(); });
    Report("40 JPEGs claiming 5000x5000", usage);
    ASSERT_TRUE(cache.keys()->tickettypemap);
    EXPECT_TRUE(cache.keys()->tickettypemap->empty());
    EXPECT_EQ(cache.DecodedBytes(), 0);
    EXPECT_EQ(cache.Picture(TSeatPicture{TSeatPicture::TSource::Tickettype, 0, "T0"}), nullptr);
    EXPECT_LT(usage.peakMb, 200);
}

TEST_F(HostileAnswers, thePictureCacheKeepsToItsBudget)
{
    const std::string large = ClaimingJpegHex(2000);
    json rows = json::array();
    for (int i = 0; i < 40; ++i) rows.push_back({{"code", "T" + std::to_string(i)}, {"soldpicture", large}});
    ServeSeatPictures(rows);
    TSeatPictureCache& cache = TSeatPictureCache::Instance();
    const Usage usage = Measure([&] { cache.EnsureSeatPictures(); });
    Report("40 JPEGs of 2000x2000", usage);
    ASSERT_TRUE(cache.keys()->tickettypemap);
    // Four pictures of 16 MB fill the 64 MB budget; the others draw as missing.
    EXPECT_EQ(cache.keys()->tickettypemap->size(), 4u);
    EXPECT_LE(cache.DecodedBytes(), TSeatPictureCache::kPictureBudget);
    EXPECT_NE(cache.Picture(TSeatPicture{TSeatPicture::TSource::Tickettype, 0, "T0"}), nullptr);
    EXPECT_EQ(cache.Picture(TSeatPicture{TSeatPicture::TSource::Tickettype, 0, "T39"}), nullptr);
    EXPECT_LT(usage.peakMb, kSanitized ? 600 : 300);
}

TEST_F(HostileAnswers, manySeatRowsLoadInLinearTime)
{
    constexpr int kRows = 100000, kSeats = 50000;
    std::string rows = "[";
    for (int i = 0; i < kRows; ++i) {
        if (i) rows += ',';
        rows += "{\"seatno\":" + std::to_string(i % kSeats + 1) + ",\"status\":\"2\",\"ticketno\":\"T" + std::to_string(i) +
                "\",\"ischecked\":false,\"departstationid\":7}";
    }
    rows += "]";
    server.AnswerText("checkticket/qrySeatstatus",
                      Table("seatstatuslist",
                            json{{"seatno", "Integer"}, {"status", "String"}, {"ticketno", "String"},
                                 {"ischecked", "Boolean"}, {"departstationid", "Long"}},
                            rows));
    TSeatPicHelp help(&connection);
    Report("100000 seat rows", Measure([&] { help.qrySeatstatus(1, false); }));
    EXPECT_EQ(help.seatCanCheck.size(), std::size_t(kSeats));
    EXPECT_EQ(help.unchecktickets, kSeats);
    EXPECT_EQ(help.seatticketno->at(1), "T0,T50000");
}

// ---- a server's text on the screen

struct TextCase {
    const char* name;
    std::string msg;
};

class HostileTexts : public HostileAnswers, public ::testing::WithParamInterface<TextCase> {};

// The box shows what a screen can: its OK button stays on the screen; the log keeps the whole
// text.
TEST_P(HostileTexts, areCutForTheBoxAndTheStatusLine)
{
    const TextCase& c = GetParam();
    server.AnswerText("checkticket/checkbyTicketno", json{{"flag", 0}, {"msg", c.msg}}.dump());
    TjsonClientDataSet check("jscdCheckByTicketno");
    check.SetRemoteServer(&connection);
    check.SetSaveAddress("checkticket/checkbyTicketno");
    check.Params().CreateParam(ftBCD, "flag", ptOutput);
    check.Params().CreateParam(ftString, "msg", ptOutput);
    QString shown;
    QSize boxSize;
    QLabel status;
    const Usage usage = Measure([&] {
        check.Execute();
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            shown = box->text();
            boxSize = box->sizeHint();
            box->button(QMessageBox::Ok)->click();
        });
        GetDialog()->ShowWarning(check.ParamByName("msg").AsString());
        status.setText(ScreenText(check.ParamByName("msg").AsString()));
        (void)status.sizeHint();
    });
    Report(c.name, usage);
    EXPECT_LE(shown.size(), kScreenTextChars + 1);
    EXPECT_TRUE(shown.endsWith(QStringLiteral("…")));
    EXPECT_LE(shown.count('\n'), kScreenTextLines - 1);
    EXPECT_LT(boxSize.height(), 1080);
    EXPECT_EQ(status.text(), shown);
    // The log writes a text on one line: its line breaks become blanks.
    std::string whole = c.msg;
    std::replace(whole.begin(), whole.end(), '\n', ' ');
    const std::string log = test::ReadFile(folder / ("error/" + DateTime::Now().DateText() + ".txt"));
    EXPECT_NE(log.find(whole), std::string::npos) << "the log keeps the whole text";
}

INSTANTIATE_TEST_SUITE_P(Messages, HostileTexts,
                         ::testing::Values(TextCase{"msg of 10 MB", std::string(10 * 1024 * 1024, 'x') + "end"},
                                           TextCase{"msg of a million lines", [] {
                                                        std::string text;
                                                        for (int i = 0; i < 1000000; ++i) text += "行\n";
                                                        return text + "end";
                                                    }()}),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

} // namespace
