// The HTTP side of stationd: error pages with their <pre> detail, hostile input, the request log,
// stopping on signals and keeping its database across starts.
#include "support/stationd_fixture.h"

#include <gtest/gtest.h>

#include <csignal>

namespace stationd::test {
namespace {

std::string PreDetail(const std::string& page)
{
    const auto open = page.find("<pre>");
    const auto close = page.find("</pre>");
    if (open == std::string::npos || close == std::string::npos || close < open)
        return {};
    return page.substr(open + 5, close - open - 5);
}

class Protocol : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new Stationd(); }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }
    static Stationd* server;
};

Stationd* Protocol::server = nullptr;

TEST_F(Protocol, unknownAddressAnswers404WithTheDetailInPre)
{
    for (const char* path : {"/KtBusWeb/checkticket/nothing.action", "/KtBusWeb/checkticket/checkbyticketno.action",
                             "/other/system/testConn.action", "/KtBusWeb/system/testConn"}) {
        auto client = server->Client();
        const auto result = client.Post(path, "&a=1", "application/x-www-form-urlencoded;charset=utf-8");
        ASSERT_TRUE(result) << path;
        EXPECT_EQ(result->status, 404) << path;
        EXPECT_NE(PreDetail(result->body).find("没有这个地址"), std::string::npos) << result->body;
    }
}

TEST_F(Protocol, malformedBodyAnswers400WithTheDetailInPre)
{
    for (const std::string& body : {std::string("&ticketno"), std::string("&=5"), std::string("&a=1&a=2"),
                                   std::string("&a=\xff\xfe")}) {
        const auto result = server->Raw("checkticket/checkisschedule", body);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 400) << body;
        EXPECT_NE(PreDetail(result->body).find("请求内容格式错误"), std::string::npos) << result->body;
    }
}

TEST_F(Protocol, otherVerbsAndOversizedBodiesAreRefusedWithAPage)
{
    auto client = server->Client();
    const auto get = client.Get("/KtBusWeb/system/testConn.action");
    ASSERT_TRUE(get);
    EXPECT_EQ(get->status, 405);
    EXPECT_FALSE(PreDetail(get->body).empty());
    const auto big = server->Raw("system/help", "&param=" + std::string(2 * 1024 * 1024, 'x'));
    ASSERT_TRUE(big);
    EXPECT_EQ(big->status, 413);
    EXPECT_FALSE(PreDetail(big->body).empty()) << big->body;
}

TEST_F(Protocol, hostileValuesAreAnsweredWithFlagAndMessageAndNeverStopTheServer)
{
    const char* addresses[] = {
        "system/testConn", "system/login", "system/findParameterValue", "system/help", "system/helpNoAuth",
        "system/queryhelpcombox", "system/tavrelSchedule", "system/queryPrinttemplate", "system/queryPrinttemplateitem",
        "bill/initBillNo", "base/qryVehiclebyIdcard", "base/updateVehicle", "base/findVehicleseatplandetail",
        "checkticket/qryScheduleplan", "checkticket/queryCheckedticket", "checkticket/checkisschedule",
        "checkticket/checkbyTicketno", "checkticket/qryIssamerep", "checkticket/qrySeatstatus",
        "checkticket/selfVehicleDepartinvoice", "checkticket/qryprintinvoices", "checkticket/qryDeductfees",
        "checkticket/qryInvoicesDetailPrintInfo", "checkticket/qryDepartinvoicesByorg", "checkticket/QryReportSchs",
        "checkticket/qryTicketsellsByVehicle", "checkticket/qryNonomalSch"};
    const std::vector<Params> bodies = {
        {},
        {{"vehiclereportid", "abc"}, {"scheduleplanid", "1e9"}, {"vehicleid", "-1"}, {"departdate", "2024-13-45"}},
        {{"vehiclereportid", "99999999999999999999"}, {"ticketno", "'; DROP TABLE ticket; --"},
         {"filter_EQL_sp!id", "7001 OR 1=1"}, {"vehicle.id", "71"}, {"vehicle.gprs", ""}},
        {{"filter_EQL_nope!id", "1"}, {"billtypecode", "Nope"}, {"billinuse.nextno", "x"}, {"isreprint", "maybe"}},
    };
    for (const char* address : addresses) {
        for (const auto& body : bodies) {
            const Json answer = server->Post(address, body);
            EXPECT_TRUE(answer.contains("flag") && answer.contains("msg")) << address << " " << answer.dump();
        }
    }
    const Json still = server->Post("system/testConn", {{"secretKey", "KESTKEY"}});
    EXPECT_EQ(still["connmsg"], 1);
    EXPECT_TRUE(server->Post("checkticket/queryCheckedticket", {{"filter_EQL_sp!id", "7001"}})["ticketlist"].size() > 0);
}

TEST_F(Protocol, logsOneLinePerRequestWithParametersFlagAndTimeButNoSecrets)
{
    server->Post("system/login", {{"username", "kiosk01"}, {"userpwd", "123456"}, {"ticketoutletcode", "ZZ01"}});
    const std::string log = server->Log();
    const auto line = log.rfind("/KtBusWeb/system/login.action");
    ASSERT_NE(line, std::string::npos) << log;
    const std::string text = log.substr(log.rfind('\n', line) + 1, log.find('\n', line) - log.rfind('\n', line) - 1);
    EXPECT_NE(text.find("127.0.0.1"), std::string::npos) << text;
    EXPECT_NE(text.find("username=kiosk01"), std::string::npos) << text;
    EXPECT_NE(text.find("userpwd=***"), std::string::npos) << text;
    EXPECT_EQ(text.find("123456"), std::string::npos) << text;
    EXPECT_NE(text.find("flag=1"), std::string::npos) << text;
    EXPECT_NE(text.find("ms"), std::string::npos) << text;
}

TEST(StationdProcess, stopsCleanlyOnSigtermAndSigint)
{
    for (int signal : {SIGTERM, SIGINT}) {
        Stationd server;
        server.Post("system/testConn", {{"secretKey", "KESTKEY"}});
        EXPECT_EQ(server.Stop(signal), 0) << signal;
        EXPECT_NE(server.Log().find("stationd: stopped"), std::string::npos);
    }
}

TEST(StationdProcess, keepsItsDataAcrossStartsAndRecreatesItWhenFresh)
{
    const Params check = {{"checkstationid", "101"}, {"vehiclereportid", "5001"}, {"ticketno", "0000011015"},
                          {"ip", "127.0.0.1"}, {"islazycheck", "False"}};
    Stationd first;
    EXPECT_EQ(first.Post("checkticket/checkbyTicketno", check)["flag"], 1);
    ASSERT_EQ(first.Stop(), 0);
    Stationd again(first, {false, {}});
    EXPECT_EQ(again.Post("checkticket/checkbyTicketno", check)["flag"], 0);
    ASSERT_EQ(again.Stop(), 0);
    Stationd fresh(first, {true, {}});
    EXPECT_EQ(fresh.Post("checkticket/checkbyTicketno", check)["flag"], 1);
}

TEST(StationdProcess, warnsWhenTheDatabaseWasMadeForAnotherDay)
{
    Stationd first;
    ASSERT_EQ(first.Stop(), 0);
    Stationd later(first, {false, {"--today", "2024-05-02"}});
    EXPECT_NE(later.Log().find("--fresh"), std::string::npos) << later.Log();
}

} // namespace
} // namespace stationd::test
