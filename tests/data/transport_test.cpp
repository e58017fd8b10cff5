// The HTTP JSON transport and the JSON client dataset against a real HTTP server on loopback:
// URLs, bodies, answers, output parameters, the query's rows, every failure text, and a
// connection that stays usable after each failure.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <regex>
#include <unistd.h>

#include "data/tjsonclientdataset.h"
#include "data/tjsonconnection.h"
#include "stationstub.h"
#include "support/tempfolder.h"

using namespace kiosk;
using kiosk::test::StationStub;

namespace {

std::string ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Exception& e) {
        return e.what();
    }
    return "no error";
}

class Transport : public ::testing::Test {
protected:
    Transport()
    {
        jcon.SetURLHost(server.BaseURL());
        jcon.SetConnectTimeout(2000);
        jcon.SetTimeout(3000);
    }

    // jscdQryCheckeds of the check screen.
    void MakeTicketQuery(TjsonClientDataSet& ds)
    {
        ds.SetRemoteServer(&jcon);
        ds.SetQueryAddress("checkticket/queryCheckedticket");
        ds.SetDataSourceName("ticketlist");
        ds.Params().CreateParam(ftLargeint, "filter_EQL_sp!id", ptInput);
        ds.Params().CreateParam(ftLargeint, "filter_EQL_t!vehiclereportid", ptInput);
    }

    // jscdCheckByTicketno of the check screen.
    void MakeCheck(TjsonClientDataSet& ds)
    {
        ds.SetRemoteServer(&jcon);
        ds.SetSaveAddress("checkticket/checkbyTicketno");
        ds.SetDataSourceName("ticketselllist");
        for (const char* name : {"checkstationid", "vehiclereportid", "ticketno", "ticketentrance", "ip", "islazycheck",
                                 "ticketsellid", "departdate1"})
            ds.Params().CreateParam(ftString, name, ptInput);
        ds.Params().CreateParam(ftBCD, "scheduleplanid", ptOutput);
        ds.Params().CreateParam(ftBCD, "flag", ptOutput);
        ds.Params().CreateParam(ftString, "msg", ptOutput);
        ds.Params().CreateParam(ftString, "reportid", ptOutput);
    }

    void ExpectIdle()
    {
        EXPECT_EQ(jcon.State(), csDisconnect);
        EXPECT_EQ(jcon.XmlHttp(), nullptr);
        EXPECT_EQ(jcon.WorkingTable(), nullptr);
    }

    // A fresh execute of system/testConn must work after whatever came before.
    void ExpectNextRequestWorks()
    {
        server.Answer("/KtBusWeb/system/testConn.action", R"({"connmsg":1,"sresult":""})");
        TjsonClientDataSet test("testConnection");
        test.SetRemoteServer(&jcon);
        test.SetSaveAddress("system/testConn");
        test.Params().CreateParam(ftBCD, "connmsg", ptOutput);
        test.Execute();
        EXPECT_EQ(test.ParamByName("connmsg").AsInteger(), 1);
    }

    StationStub server;
    TjsonConnection jcon;
};

} // namespace

TEST_F(Transport, queryOfCheckedTicketsSendsTheFiltersAndLoadsTheRows)
{
    server.Answer("/KtBusWeb/checkticket/queryCheckedticket.action",
                  R"({"ticketlist":[{"ticketno":"0001234567","seatno":12,"price":35.5,"departdate":"2013-05-01"}],)"
                  R"("ticketlist_type":{"ticketno":"String","seatno":"Short","price":"BigDecimal","departdate":"Date"},)"
                  R"("ticketlist_typelength":{"ticketno":20},"flag":1,"msg":""})");
    TjsonClientDataSet ds("jscdQryCheckeds");
    MakeTicketQuery(ds);
    ds.ParamByName("filter_EQL_sp!id").SetAsLargeInt(7001);
    ds.ParamByName("filter_EQL_t!vehiclereportid").SetAsLargeInt(5001);
    ds.Open();

    const auto req = server.Last();
    EXPECT_EQ(req.method, "POST");
    EXPECT_EQ(req.path, "/KtBusWeb/checkticket/queryCheckedticket.action");
    EXPECT_EQ(req.contentType, "application/x-www-form-urlencoded;charset=utf-8");
    EXPECT_EQ(req.body, "&filter_EQL_sp!id=7001&filter_EQL_t!vehiclereportid=5001");
    ASSERT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(ds.FieldByName("ticketno").AsString(), "0001234567");
    EXPECT_EQ(ds.FieldByName("seatno").AsInteger(), 12);
    EXPECT_DOUBLE_EQ(ds.FieldByName("price").AsFloat(), 35.5);
    EXPECT_EQ(ds.FieldByName("departdate").AsString(), "2013-05-01");
    EXPECT_EQ(ds.ChangeCount(), 0) << "MergeLog makes the loaded rows base rows";
    ExpectIdle();
}

TEST_F(Transport, executeOfTicketCheckSendsOnlyNonNullInputsAndFillsOutputsByType)
{
    server.Answer("/KtBusWeb/checkticket/checkbyTicketno.action", R"({"flag":1,"msg":"","scheduleplanid":7001,"reportid":"5001"})");
    TjsonClientDataSet ds("jscdCheckByTicketno");
    MakeCheck(ds);
    ds.ParamByName("checkstationid").SetAsInteger(101);
    ds.ParamByName("vehiclereportid").SetAsString("5001");
    ds.ParamByName("ticketno").SetAsString("0001234567");
    ds.ParamByName("ticketentrance").SetAsString("A1");
    ds.ParamByName("islazycheck").SetAsBoolean(false);
    ds.Execute();

    EXPECT_EQ(server.Last().body, "&checkstationid=101&vehiclereportid=5001&ticketno=0001234567&ticketentrance=A1&islazycheck=False");
    EXPECT_EQ(server.Last().path, "/KtBusWeb/checkticket/checkbyTicketno.action");
    EXPECT_EQ(ds.ParamByName("flag").AsInteger(), 1);
    EXPECT_EQ(ds.ParamByName("flag").AsVariant(), Value(1.0));
    EXPECT_EQ(ds.ParamByName("msg").AsString(), "");
    EXPECT_EQ(ds.ParamByName("scheduleplanid").AsLargeInt(), 7001);
    EXPECT_EQ(ds.ParamByName("reportid").AsVariant(), Value("5001"));
    EXPECT_FALSE(ds.Active()) << "an execute works on a closed dataset";
    ExpectIdle();
}

TEST_F(Transport, executeWhoseAnswerLacksADeclaredOutputFailsAndExtraKeysAreAccepted)
{
    server.Answer("/KtBusWeb/checkticket/checkbyTicketno.action", R"({"flag":1,"scheduleplanid":7001,"reportid":"5001","more":2})");
    TjsonClientDataSet ds("jscdCheckByTicketno");
    MakeCheck(ds);
    EXPECT_EQ(ErrorOf([&] { ds.Execute(); }), "返回值中不存在“msg”参数");
    server.Answer("/KtBusWeb/checkticket/checkbyTicketno.action",
                  R"({"flag":1,"msg":"ok","scheduleplanid":7001,"reportid":"5001","more":2})");
    ds.Execute();
    EXPECT_EQ(ds.ParamByName("msg").AsString(), "ok");
}

TEST_F(Transport, addressWithActionIsUsedAsItStands)
{
    EXPECT_EQ(jcon.URLOf("bill/initBillNo.action"), server.BaseURL() + "bill/initBillNo.action");
    EXPECT_EQ(jcon.URLOf("bill/initBillNo"), server.BaseURL() + "bill/initBillNo.action");
}

TEST(TransportMode, urlHostBeginningWithHttpOrHttpsInAnyCaseIsWebMode)
{
    TjsonConnection c;
    EXPECT_FALSE(c.WebMode());
    c.SetURLHost("Http://127.0.0.1:8080/KtBusWeb/");
    EXPECT_TRUE(c.WebMode());
    c.SetURLHost("hTTp://x/");
    EXPECT_TRUE(c.WebMode());
    c.SetURLHost("C:\\data\\");
    EXPECT_FALSE(c.WebMode());
    c.SetURLHost("HTTPS://x/");
    EXPECT_TRUE(c.WebMode()) << "a station server behind TLS";
    c.SetURLHost("httpx://x/");
    EXPECT_FALSE(c.WebMode());
}

TEST_F(Transport, valuesAreEncodedOnlyAsTheSystemEscapesAndInputOutputIsNeitherSentNorFilled)
{
    server.Answer("/KtBusWeb/x/y.action", R"({"io":"from server","msg":"m"})");
    TjsonClientDataSet ds("ds");
    ds.SetRemoteServer(&jcon);
    ds.SetSaveAddress("x/y");
    ds.Params().CreateParam(ftString, "a", ptInput).SetAsString("a&b<c>%?");
    ds.Params().CreateParam(ftString, "b", ptInput).SetAsString("x+y z=#\"中");
    ds.Params().CreateParam(ftString, "empty", ptInput).SetAsString("");
    ds.Params().CreateParam(ftFloat, "f", ptInput).SetAsFloat(35.5);
    // Numbers in plain decimal, date-times with their time also at midnight.
    ds.Params().CreateParam(ftFloat, "sum", ptInput).SetAsFloat(0.1 + 0.2);
    ds.Params().CreateParam(ftFloat, "big", ptInput).SetAsFloat(1e20);
    ds.Params().CreateParam(ftDate, "day", ptInput).SetAsDate(DateTime::FromParts(2024, 5, 1, 8, 30));
    ds.Params().CreateParam(ftDateTime, "at", ptInput).SetAsDateTime(DateTime::FromParts(2024, 5, 1));
    ds.Params().CreateParam(ftString, "io", ptInputOutput).SetAsString("kept");
    ds.Params().CreateParam(ftString, "res", ptResult).SetAsString("r");
    ds.Params().CreateParam(ftString, "msg", ptOutput);
    ds.Execute();
    EXPECT_EQ(server.Last().body, "&a=a&amp;b&lt;c&gt;%25%3F&b=x+y z=#&quot;中&empty=&f=35.5&sum=0.3"
                                  "&big=100000000000000000000&day=2024-05-01&at=2024-05-01 00:00:00");
    EXPECT_EQ(ds.ParamByName("io").AsString(), "kept");
}

TEST_F(Transport, reopeningSendsTheNewValuesAndLeavesNullParametersOut)
{
    server.Answer("/KtBusWeb/checkticket/queryCheckedticket.action",
                  R"({"ticketlist":[],"ticketlist_type":{"ticketno":"String"},"ticketlist_typelength":{}})");
    TjsonClientDataSet ds("jscdQryCheckeds");
    MakeTicketQuery(ds);
    ds.ParamByName("filter_EQL_sp!id").SetAsLargeInt(1);
    ds.ParamByName("filter_EQL_t!vehiclereportid").SetAsLargeInt(2);
    ds.Open();
    ds.Close();
    ds.ParamByName("filter_EQL_sp!id").SetAsLargeInt(3);
    ds.ParamByName("filter_EQL_t!vehiclereportid").Clear();
    ds.Open();
    EXPECT_EQ(server.Last().body, "&filter_EQL_sp!id=3");
    EXPECT_TRUE(ds.Active());
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_TRUE(ds.FindField("ticketno"));
}

TEST_F(Transport, commandTextGoesWithTheQueryUnencoded)
{
    server.Answer("/KtBusWeb/system/help.action", R"({"helpmap":[],"helpmap_type":{},"helpmap_typelength":{}})");
    TjsonClientDataSet ds("help");
    ds.SetRemoteServer(&jcon);
    ds.SetQueryAddress("system/help");
    ds.SetDataSourceName("helpmap");
    ds.SetCommandText("a&b?");
    ds.Open();
    EXPECT_EQ(server.Last().body, "&param=a&b?");
}

struct QueryFailure {
    const char* name;
    const char* answer;
    const char* error;
};

class QueryFails : public Transport, public ::testing::WithParamInterface<QueryFailure> {};

TEST_P(QueryFails, withTheTextOfItsCauseAndLeavesTheDatasetClosed)
{
    server.Answer("/KtBusWeb/checkticket/qryScheduleplan.action", GetParam().answer);
    TjsonClientDataSet ds("jscdQrySchVehicle");
    ds.SetRemoteServer(&jcon);
    ds.SetQueryAddress("checkticket/qryScheduleplan");
    ds.SetDataSourceName("planlist");
    ds.Params().CreateParam(ftString, "msg", ptOutput);
    EXPECT_EQ(ErrorOf([&] { ds.Open(); }), GetParam().error);
    EXPECT_FALSE(ds.Active());
    ExpectIdle();
    ExpectNextRequestWorks();
}

INSTANTIATE_TEST_SUITE_P(
    Transport, QueryFails,
    ::testing::Values(
        QueryFailure{"serverMessage", R"({"planlist":[],"flag":0,"msg":"无数据"})", "无数据"},
        QueryFailure{"serverMessageWithoutLengths", R"({"planlist":[],"planlist_type":{},"flag":0,"msg":"无数据"})", "无数据"},
        QueryFailure{"blankMessage", R"({"planlist":[],"flag":0,"msg":"  "})", "返回值中不存在“planlist_type”参数"},
        QueryFailure{"noRowsKey", R"({"flag":0,"msg":"无数据"})", "返回值中不存在“planlist”参数"},
        QueryFailure{"noLengths", R"({"planlist":[],"planlist_type":{},"msg":"x"})", "返回值中不存在“planlist_typelength”参数"},
        QueryFailure{"missingOutput", R"({"planlist":[],"planlist_type":{},"planlist_typelength":{}})",
                     "返回值中不存在“msg”参数服务器传输的数据格式有误！"},
        QueryFailure{"badRow", R"({"planlist":[{"d":"soon"}],"planlist_type":{"d":"Date"},"planlist_typelength":{},"msg":""})",
                     "字段“d”的值“soon”不是有效的日期时间服务器传输的数据格式有误！"},
        QueryFailure{"rowsAsBadText", R"({"planlist":"[{","planlist_type":{},"planlist_typelength":{},"msg":""})",
                     "JSON解析失败：The JSON document has an improper structure: missing or superfluous commas, braces, "
                     "missing keys, etc.服务器传输的数据格式有误！"},
        QueryFailure{"notJson", "<html>oops</html>", "服务器返回的数据不是JSON对象，服务器传输的数据格式有误！"},
        QueryFailure{"truncatedJson", R"({"planlist":[{"a":1)", "服务器返回的数据不是JSON对象，服务器传输的数据格式有误！"},
        QueryFailure{"array", R"([{"planlist":[]}])", "服务器返回的数据不是JSON对象，服务器传输的数据格式有误！"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Transport, rowsSentAsTextAreLoaded)
{
    server.Answer("/KtBusWeb/q.action", R"({"dataSet":"[{\"id\":5}]","dataSet_type":{"id":"Long"},"dataSet_typelength":{}})");
    TjsonClientDataSet ds("q");
    ds.SetRemoteServer(&jcon);
    ds.SetQueryAddress("q");
    ds.Open();
    EXPECT_EQ(ds.FieldByName("id").AsLargeInt(), 5);
}

TEST_F(Transport, withoutMergeLogLoadedRowsArePendingInserts)
{
    server.Answer("/KtBusWeb/q.action", R"({"dataSet":[{"id":5},{"id":6}],"dataSet_type":{"id":"Long"},"dataSet_typelength":{}})");
    TjsonClientDataSet ds("q");
    ds.SetRemoteServer(&jcon);
    ds.SetQueryAddress("q");
    ds.SetMergeLog(false);
    ds.Open();
    EXPECT_EQ(ds.ChangeCount(), 2);
}

TEST_F(Transport, httpErrorCarriesStatusTextAndThePreDetail)
{
    server.On("/KtBusWeb/x.action", [](const httplib::Request&, httplib::Response& res) {
        res.status = 500;
        res.set_content("<html><body><h1>HTTP Status 500</h1><pre>java.lang.NullPointerException\n\tat x</pre><pre>more</pre></body></html>",
                        "text/html");
    });
    TjsonClientDataSet ds("ds");
    ds.SetRemoteServer(&jcon);
    ds.SetSaveAddress("x");
    EXPECT_EQ(ErrorOf([&] { ds.Execute(); }),
              "服务器返回出错：httpStatus:500 Internal Server Error\rjava.lang.NullPointerException\n\tat x");
    ExpectIdle();
    ds.SetQueryAddress("x");
    EXPECT_EQ(ErrorOf([&] { ds.Open(); }),
              "服务器返回出错：httpStatus:500 Internal Server Error\rjava.lang.NullPointerException\n\tat x");
    ExpectIdle();
    ExpectNextRequestWorks();
}

TEST_F(Transport, httpErrorWithoutPreCarriesTheWholeAnswer)
{
    server.On("/KtBusWeb/x.action", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content("not here", "text/plain");
    });
    TjsonClientDataSet ds("ds");
    ds.SetRemoteServer(&jcon);
    ds.SetSaveAddress("x");
    EXPECT_EQ(ErrorOf([&] { ds.Execute(); }), "服务器返回出错：httpStatus:404 Not Found\rnot here");
}

TEST_F(Transport, dottedOutputsArePathsIntoNestedObjects)
{
    TjsonClientDataSet ds("jsonClientDataSetLogin");
    ds.SetRemoteServer(&jcon);
    ds.SetSaveAddress("system/login");
    ds.Params().CreateParam(ftBCD, "global.userinfo.id", ptOutput).SetAsInteger(-1);
    ds.Params().CreateParam(ftString, "global.organization.station.id", ptOutput);

    server.Answer("/KtBusWeb/system/login.action", R"({"global":{"userinfo":{"id":1001},"organization":{"station":{"id":"88"}}}})");
    ds.Execute();
    EXPECT_EQ(ds.ParamByName("global.userinfo.id").AsLargeInt(), 1001);
    EXPECT_EQ(ds.ParamByName("global.organization.station.id").AsString(), "88");

    server.Answer("/KtBusWeb/system/login.action", R"({"global":"x"})");
    ds.ParamByName("global.userinfo.id").SetAsInteger(-1);
    ds.Execute();
    EXPECT_EQ(ds.ParamByName("global.userinfo.id").AsInteger(), -1) << "left as it was";

    server.Answer("/KtBusWeb/system/login.action", R"({"global":{"userinfo":{}}})");
    EXPECT_EQ(ErrorOf([&] { ds.Execute(); }), "返回值中不存在“global.userinfo.id”参数");
    server.Answer("/KtBusWeb/system/login.action", R"({"other":1})");
    EXPECT_EQ(ErrorOf([&] { ds.Execute(); }), "返回值中不存在“global.userinfo.id”参数");
}

TEST_F(Transport, nullAnswerValueCountsAsPresentAndNullsTheParameter)
{
    server.Answer("/KtBusWeb/x.action", R"({"msg":null,"flag":"1","id":"9007199254740993"})");
    TjsonClientDataSet ds("ds");
    ds.SetRemoteServer(&jcon);
    ds.SetSaveAddress("x");
    ds.Params().CreateParam(ftString, "msg", ptOutput).SetAsString("old");
    ds.Params().CreateParam(ftBCD, "flag", ptOutput);
    ds.Params().CreateParam(ftLargeint, "id", ptOutput);
    ds.Execute();
    EXPECT_TRUE(ds.ParamByName("msg").IsNull());
    EXPECT_EQ(ds.ParamByName("flag").AsVariant(), Value(1.0));
    EXPECT_EQ(ds.ParamByName("id").AsLargeInt(), 9007199254740993) << "text keeps every digit";
}

TEST_F(Transport, missingAddressesFailWithTheComponentName)
{
    TjsonClientDataSet ds("jcdscheckticketno");
    ds.SetRemoteServer(&jcon);
    EXPECT_EQ(ErrorOf([&] { ds.Open(); }), "jcdscheckticketno未设置查询地址！");
    EXPECT_EQ(ErrorOf([&] { ds.Execute(); }), "jcdscheckticketno保存地址未设置！");
    EXPECT_TRUE(server.Requests().empty());
    ExpectIdle();
}

TEST_F(Transport, stateMovesToGetRecordsAndBackForAQueryAndStaysForAnExecute)
{
    server.Answer("/KtBusWeb/q.action", R"({"dataSet":[],"dataSet_type":{},"dataSet_typelength":{},"msg":""})");
    std::vector<TConnectState> states;
    jcon.OnStateChange = [&](TjsonConnection& c) { states.push_back(c.State()); };
    TjsonClientDataSet ds("q");
    ds.SetRemoteServer(&jcon);
    ds.SetQueryAddress("q");
    ds.SetSaveAddress("q");
    ds.Open();
    ds.Execute();
    EXPECT_EQ(states, (std::vector<TConnectState>{csGetRecords, csDisconnect}));
}

TEST(TransportDataSet, newDatasetHasAFreshGuidProviderAndTheDefaults)
{
    TjsonClientDataSet a, b;
    static const std::regex guid(R"(\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\})");
    EXPECT_TRUE(std::regex_match(a.ProviderName(), guid)) << a.ProviderName();
    EXPECT_NE(a.ProviderName(), b.ProviderName());
    EXPECT_EQ(a.DataSourceName(), "dataSet");
    EXPECT_TRUE(a.CanInsert());
    EXPECT_TRUE(a.CanEdit());
    EXPECT_TRUE(a.CanDelete());
    EXPECT_TRUE(a.AutoGetDetail());
    EXPECT_TRUE(a.MergeLog());
    EXPECT_FALSE(a.AutoCloneData());
    EXPECT_FALSE(a.Active());
}

TEST_F(Transport, connectionFindsTheDatasetByExactProviderName)
{
    TjsonClientDataSet a("a"), b("b");
    a.SetRemoteServer(&jcon);
    b.SetRemoteServer(&jcon);
    a.SetProviderName("testConnection");
    EXPECT_EQ(jcon.FindProvider("testConnection"), &a);
    EXPECT_EQ(jcon.FindProvider("TESTCONNECTION"), nullptr);
    b.SetRemoteServer(nullptr);
    EXPECT_EQ(jcon.DataSets().size(), 1u);
    {
        TjsonConnection other;
        a.SetRemoteServer(&other);
    }
    EXPECT_EQ(a.RemoteServer(), nullptr) << "a dying connection lets its datasets go";
    EXPECT_NE(ErrorOf([&] { a.Execute(); }), "no error");
}

TEST_F(Transport, requestsRideOneKeptAliveConnection)
{
    for (int i = 0; i < 5; ++i) ExpectNextRequestWorks();
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 5u);
    for (const auto& r : requests) EXPECT_EQ(r.remotePort, requests.front().remotePort);
}

TEST_F(Transport, userNameAndPasswordAnswerAnAuthenticationChallenge)
{
    server.On("/KtBusWeb/system/testConn.action", [](const httplib::Request& req, httplib::Response& res) {
        if (req.get_header_value("Authorization") != "Basic a2lvc2s6c2VjcmV0") {
            res.status = 401;
            res.set_header("WWW-Authenticate", "Basic realm=\"station\"");
            return;
        }
        res.set_content(R"({"connmsg":1})", "application/json");
    });
    jcon.SetUserName("kiosk");
    jcon.SetPassword("secret");
    TjsonClientDataSet test("testConnection");
    test.SetRemoteServer(&jcon);
    test.SetSaveAddress("system/testConn");
    test.Params().CreateParam(ftBCD, "connmsg", ptOutput);
    test.Execute();
    EXPECT_EQ(test.ParamByName("connmsg").AsInteger(), 1);
}

TEST_F(Transport, serverClosingTheConnectionFailsAsNotConnected)
{
    server.On("/KtBusWeb/x.action", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Content-Length", "500");
        res.set_content_provider(500, "application/json", [](std::size_t, std::size_t, httplib::DataSink& sink) {
            sink.write("{\"msg\":", 7);
            return false;
        });
    });
    TjsonClientDataSet ds("ds");
    ds.SetRemoteServer(&jcon);
    ds.SetSaveAddress("x");
    ds.SetQueryAddress("x");
    EXPECT_EQ(ErrorOf([&] { ds.Execute(); }).rfind("无法连接服务器:", 0), 0u);
    EXPECT_EQ(ErrorOf([&] { ds.Open(); }).rfind("无法连接服务器:", 0), 0u);
    ExpectIdle();
    ExpectNextRequestWorks();
}

TEST_F(Transport, slowServerFailsWithinTheTimeOut)
{
    server.On("/KtBusWeb/slow.action", [](const httplib::Request&, httplib::Response& res) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        res.set_content(R"({"msg":""})", "application/json");
    });
    jcon.SetTimeout(300);
    TjsonClientDataSet ds("ds");
    ds.SetRemoteServer(&jcon);
    ds.SetSaveAddress("slow");
    const auto start = std::chrono::steady_clock::now();
    const std::string error = ErrorOf([&] { ds.Execute(); });
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(error.rfind("无法连接服务器:", 0), 0u) << error;
    EXPECT_NE(error.find("timed out"), std::string::npos) << error;
    EXPECT_LT(took, std::chrono::milliseconds(1200));
    ExpectIdle();
    jcon.SetTimeout(3000);
    ExpectNextRequestWorks();
}

TEST(TransportRefused, nothingListeningFailsAsNotConnected)
{
    int port = 0;
    {
        StationStub gone;
        port = gone.Port();
    }
    TjsonConnection jcon;
    jcon.SetURLHost("http://127.0.0.1:" + std::to_string(port) + "/KtBusWeb/");
    TjsonClientDataSet ds("ds");
    ds.SetRemoteServer(&jcon);
    ds.SetSaveAddress("x");
    const std::string error = ErrorOf([&] { ds.Execute(); });
    EXPECT_EQ(error.rfind("无法连接服务器:", 0), 0u) << error;
    EXPECT_GT(error.size(), std::string("无法连接服务器:").size());
}

TEST_F(Transport, answerOverTheSizeCapIsRefused)
{
    server.Answer("/KtBusWeb/big.action", "{\"msg\":\"" + std::string(5000, 'x') + "\"}");
    jcon.SetMaxAnswerBytes(4096);
    TjsonClientDataSet ds("ds");
    ds.SetRemoteServer(&jcon);
    ds.SetSaveAddress("big");
    EXPECT_EQ(ErrorOf([&] { ds.Execute(); }), "服务器返回的数据超过0MB，已拒绝接收");
    jcon.SetMaxAnswerBytes(std::size_t(64) << 20);
    ExpectIdle();
    ExpectNextRequestWorks();
}

TEST_F(Transport, queryWritesItsRequestFileWhenAsked)
{
    test::TempFolder folder;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    server.Answer("/KtBusWeb/q.action", R"({"dataSet":[],"dataSet_type":{},"dataSet_typelength":{}})");
    jcon.SetCreateRequestFile(true);
    TjsonClientDataSet ds("q");
    ds.SetRemoteServer(&jcon);
    ds.SetQueryAddress("q");
    ds.SetProviderName("qryPlans");
    ds.Params().CreateParam(ftString, "a", ptInput).SetAsString("1");
    ds.Open();
    std::filesystem::current_path(previous);
    EXPECT_EQ(folder.Read("qryPlans_.txt"), "&a=1");
}

TEST(TransportTimeouts, appIniGivesConnectAndTotalTimeOuts)
{
    test::TempFolder folder;
    folder.Write("App.ini", "[server]\nip=127.0.0.1\nconnecttimeout=1234\ntimeout=5678\n");
    TjsonConnection c;
    EXPECT_EQ(c.ConnectTimeout(), 5000);
    EXPECT_EQ(c.Timeout(), 30000);
    c.ReadTimeouts(TIniFile((folder / "App.ini").string()));
    EXPECT_EQ(c.ConnectTimeout(), 1234);
    EXPECT_EQ(c.Timeout(), 5678);
}

TEST_F(Transport, isUniqueChecksTheSnapshotTakenWhenEditingStarts)
{
    server.Answer("/KtBusWeb/q.action", R"({"dataSet":[{"id":5,"code":"A"},{"id":7,"code":"B"},{"id":8,"code":"C"}],)"
                                        R"("dataSet_type":{"id":"Long","code":"String"},"dataSet_typelength":{}})");
    TjsonClientDataSet ds("q");
    ds.SetRemoteServer(&jcon);
    ds.SetQueryAddress("q");
    ds.Open();
    EXPECT_EQ(ErrorOf([&] { ds.IsUnique("id", "5", "code"); }), "没有设置Dataset的AutoCloneData属性，所以不能进行唯一性校验！");
    ds.SetAutoCloneData(true);
    ds.Locate("id", Value(5));
    ds.Edit();
    ds.FieldByName("code").SetAsString("B");
    EXPECT_FALSE(ds.IsUnique("id", "5", "code")) << "record 7 has code B";
    ds.FieldByName("code").SetAsString("Z");
    EXPECT_TRUE(ds.IsUnique("id", "5", "code"));
    ds.FieldByName("code").SetAsString("A");
    EXPECT_TRUE(ds.IsUnique("id", "5", "code")) << "only record 5 itself has A";
}

TEST_F(Transport, guardsOfTheClientDatasetStopSilently)
{
    server.Answer("/KtBusWeb/q.action", R"({"dataSet":[{"id":5}],"dataSet_type":{"id":"Long"},"dataSet_typelength":{}})");
    TjsonClientDataSet ds("q");
    ds.SetRemoteServer(&jcon);
    ds.SetQueryAddress("q");
    ds.Open();
    ds.SetCanInsert(false);
    ds.SetCanEdit(false);
    ds.SetCanDelete(false);
    EXPECT_FALSE(ds.Append());
    EXPECT_FALSE(ds.Insert());
    EXPECT_FALSE(ds.Edit());
    EXPECT_FALSE(ds.Delete());
    EXPECT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(ds.State(), dsBrowse);
}

TEST_F(Transport, autoCopyRecordStartsANewRecordAsACopyOfTheCurrentOne)
{
    server.Answer("/KtBusWeb/q.action", R"({"dataSet":[{"id":5,"code":"A","price":3}],)"
                                        R"("dataSet_type":{"id":"Long","code":"String","price":"Double"},"dataSet_typelength":{}})");
    TjsonClientDataSet ds("q");
    ds.SetRemoteServer(&jcon);
    ds.SetQueryAddress("q");
    ds.Open();
    for (int i = 0; i < ds.FieldCount(); ++i) ds.Fields(i).SetAutoGenerateValue(arDefault);
    ds.FieldByName("id").SetProviderFlags(pfInKey | pfInWhere);
    ds.FieldByName("price").SetDefaultExpression("0");
    ds.SetAutoCopyRecord(true);
    ds.Append();
    EXPECT_EQ(ds.FieldByName("code").AsString(), "A");
    EXPECT_TRUE(ds.FieldByName("id").IsNull()) << "key fields are not copied";
    EXPECT_TRUE(ds.FieldByName("price").IsNull()) << "fields with a default expression are not copied";
}

TEST_F(Transport, masterScrollFetchesTheDetailRowsWithTheMastersLinkValue)
{
    server.On("/KtBusWeb/detail.action", [](const httplib::Request& req, httplib::Response& res) {
        const std::string id = req.body.substr(req.body.find("vehicleid=") + 10);
        res.set_content(R"({"dataSet":[{"vehicleid":)" + id + R"(}],"dataSet_type":{"vehicleid":"Long"},"dataSet_typelength":{}})",
                        "application/json");
    });
    TDataSet master("vehicles");
    master.FieldDefs().Add("id", ftLargeint);
    master.CreateDataSet();
    for (int id : {11, 12}) {
        master.Append();
        master.FieldByName("id").SetAsInteger(id);
        master.Post();
    }
    master.First();
    TjsonClientDataSet detail("seats");
    detail.SetRemoteServer(&jcon);
    detail.SetQueryAddress("detail");
    detail.SetMasterSource(&master);
    detail.SetMasterFields("id");
    detail.SetIndexFieldNames("vehicleid");
    detail.Open();
    EXPECT_EQ(detail.FieldByName("vehicleid").AsInteger(), 11);
    master.Next();
    EXPECT_EQ(detail.FieldByName("vehicleid").AsInteger(), 12);
    EXPECT_EQ(server.Last().body, "&vehicleid=12");
}
