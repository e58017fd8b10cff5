// The demo station's rules: staff and driver login, the ticket checks, bill numbers, slips with
// their deductions and details, supplementary issue, records and the demo data itself.
#include "support/stationd_fixture.h"

#include <gtest/gtest.h>

#include <set>

namespace stationd::test {
namespace {

Params CheckBody(const std::string& ticket, const std::string& report, bool lazy = false)
{
    return {{"checkstationid", "101"}, {"vehiclereportid", report}, {"ticketno", ticket},
            {"ticketentrance", "1号检票口"}, {"ip", "127.0.0.1"}, {"islazycheck", lazy ? "True" : "False"}};
}

Params PreCheckBody(const std::string& ticket, const std::string& report)
{
    return {{"ticketno", ticket}, {"vehiclereportid", report}, {"departdate", kDemoDay}};
}

Params IssueBody(const std::string& plan, const std::string& report, bool reprint = false,
                 const std::string& original = "")
{
    Params body = {{"departstationid", "101"}, {"scheduleplanid", plan}, {"departinvoicesno", "00030002"},
                   {"vehiclereportid", report}, {"ip", "127.0.0.1"}, {"isreprint", reprint ? "True" : "False"},
                   {"iscomputeno", "True"}, {"departdate", kDemoDay}, {"isprintbynewticketno", reprint ? "False" : "True"}};
    if (!original.empty())
        body.emplace_back("originaldepartinvoicesno", original);
    return body;
}

std::string Msg(const Json& answer) { return answer.value("msg", std::string()); }

// The rows of a query answer, held by value so a loop over them outlives the answer.
Json Rows(const Stationd& server, const std::string& address, const Params& params, const std::string& source)
{
    return server.Post(address, params)[source];
}

struct CheckCase {
    const char* why;
    const char* ticket;
    const char* report;
    bool lazy;
    const char* refusal; // part of the message; nullptr when the check passes
    bool prePasses = false; // the pre-check knows neither the station nor a late check
};

TEST(CheckRules, eachTicketPassesOnlyForItsOwnVehicleDayAndStation)
{
    Stationd server;
    const CheckCase cases[] = {
        {"unchecked ticket of the shown schedule", "0000011011", "5001", false, nullptr},
        {"the same ticket again", "0000011011", "5001", false, "不能重复检票"},
        {"checked by hand before", "0000011008", "5001", false, "不能重复检票"},
        {"unknown number", "0000099999", "5001", false, "不存在"},
        {"refunded", "0000011034", "5001", false, "已退票"},
        {"another vehicle's schedule", "0000013050", "5001", false, "不是本车报班班次"},
        {"yesterday's ticket", "0000015010", "5001", false, "不是2024-05-01的车票"},
        {"boards at 清远", "0000011032", "5001", false, "清远上车", true},
        {"stopped schedule", "0000016001", "5001", false, "已停班"},
        {"departed schedule without a late check", "0000014021", "5004", false, "已发车", true},
        {"late check of the departed schedule", "0000014021", "5004", true, nullptr},
        {"the vehicle's other schedule", "0000012005", "5001", false, nullptr},
        {"line work onto the vehicle's report", "0000013050", "5003", false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const Json pre = server.Post("checkticket/checkisschedule", PreCheckBody(c.ticket, c.report));
        const Json check = server.Post("checkticket/checkbyTicketno", CheckBody(c.ticket, c.report, c.lazy));
        if (c.refusal) {
            EXPECT_EQ(check["flag"], 0) << check.dump();
            EXPECT_NE(Msg(check).find(c.refusal), std::string::npos) << Msg(check);
            EXPECT_EQ(pre["flag"], c.prePasses ? 1 : 0) << pre.dump();
        } else {
            EXPECT_EQ(pre["flag"], 1) << pre.dump();
            EXPECT_EQ(check["flag"], 1) << check.dump();
            EXPECT_NE(Msg(check).find("成功"), std::string::npos) << Msg(check);
        }
    }
}

TEST(CheckRules, aTicketOfTheVehiclesOtherScheduleIsCheckedThereAndTheReportCheckNamesIt)
{
    Stationd server;
    const Json check = server.Post("checkticket/checkbyTicketno", CheckBody("0000012006", "5001"));
    ASSERT_EQ(check["flag"], 1) << check.dump();
    EXPECT_EQ(check["scheduleplanid"], 7002);
    EXPECT_EQ(check["reportid"], "5002");
    const Params same = {{"vehiclereportid", "5001"}, {"ticketno", "0000012006"}, {"checkstationid", "101"},
                         {"departdate", kDemoDay}};
    const Json other = server.Post("checkticket/qryIssamerep", same);
    EXPECT_EQ(other["flag"], 1);
    EXPECT_EQ(other["msg"], "5002");
    ASSERT_EQ(server.Post("checkticket/checkbyTicketno", CheckBody("0000011012", "5001"))["flag"], 1);
    const Json own = server.Post("checkticket/qryIssamerep",
                                 {{"vehiclereportid", "5001"}, {"ticketno", "0000011012"}, {"departdate", kDemoDay}});
    EXPECT_EQ(own["flag"], 1);
    EXPECT_EQ(own["msg"], "0");
    const Json foreign = server.Post("checkticket/qryIssamerep", {{"vehiclereportid", "5001"}, {"ticketno", "0000013001"}});
    EXPECT_EQ(foreign["flag"], 0);
}

TEST(CheckRules, checkedTicketsShowInTheListAndTheSeatStates)
{
    Stationd server;
    ASSERT_EQ(server.Post("checkticket/checkbyTicketno", CheckBody("0000011025", "5001"))["flag"], 1);
    const Json list = server.Post("checkticket/queryCheckedticket", {{"filter_EQL_sp!id", "7001"}});
    int checked = 0;
    for (const auto& row : list["ticketlist"])
        checked += row["dticketstatus"] == "已检票";
    EXPECT_EQ(checked, 11);
    EXPECT_EQ(list["ticketlist"].size(), 33u); // the refunded ticket is not listed
    const Json seats = server.Post("checkticket/qrySeatstatus", {{"scheduleplanid", "7001"}});
    bool found = false;
    for (const auto& row : seats["seatstatuslist"])
        if (row["seatno"] == 25) {
            found = true;
            EXPECT_EQ(row["status"], "7");
            EXPECT_EQ(row["ischecked"], true);
            EXPECT_EQ(row["ticketno"], "0000011025");
        }
    EXPECT_TRUE(found);
    const Json lineWork = server.Post("checkticket/queryCheckedticket",
                                      {{"filter_EQL_sp!id", "7003"}, {"filter_EQL_t!vehiclereportid", "5003"}});
    EXPECT_EQ(lineWork["ticketlist"].size(), 3u);
}

TEST(DemoData, seatStatesUseEveryStateCodeColourTypesAndASharedSeat)
{
    Stationd server;
    std::set<std::string> states, colours;
    std::map<int, int> rowsPerSeat;
    for (const char* plan : {"7001", "7002"}) {
        for (const auto& row : Rows(server, "checkticket/qrySeatstatus", {{"scheduleplanid", plan}}, "seatstatuslist")) {
            states.insert(row["status"].get<std::string>());
            if (row["colortype"] != "")
                colours.insert(row["colortype"].get<std::string>());
            if (std::string(plan) == "7001")
                ++rowsPerSeat[row["seatno"].get<int>()];
        }
    }
    EXPECT_EQ(states, (std::set<std::string>{"0", "1", "2", "3", "4", "5", "7", "8"}));
    EXPECT_TRUE(colours.size() >= 5) << colours.size();
    EXPECT_EQ(rowsPerSeat.size(), 45u);
    EXPECT_EQ(rowsPerSeat[12], 2);
    std::set<std::string> pictures;
    for (const auto& row : Rows(server, "base/qryseatstatuspicture", {}, "seatstatuspicturemap")) {
        pictures.insert(row["seatstatus"].get<std::string>());
        EXPECT_EQ(row["picture"].get<std::string>().substr(0, 4), "424D"); // "BM"
    }
    EXPECT_EQ(pictures.size(), 9u);
    for (const auto& row : Rows(server, "base/findTickettype", {}, "tickettypemap"))
        EXPECT_EQ(row["soldpicture"].get<std::string>().substr(0, 4), "FFD8"); // JPEG start of image
}

TEST(DemoData, seatPlanHasDriverSeatDoorAndFortyFivePassengerSeats)
{
    Stationd server;
    std::map<std::int64_t, bool> passenger;
    for (const auto& row : Rows(server, "base/findVehiclespace", {}, "vehiclespacelist"))
        passenger[row["id"].get<std::int64_t>()] = row["ispassengerseat"].get<bool>();
    std::set<std::int64_t> seats;
    std::set<std::int64_t> spaces;
    for (const auto& row : Rows(server, "base/findVehicleseatplandetail",
                                       {{"vehicleseatplan.vehiclebrandmodelid", "51"}}, "vehicleseatplandetaillist")) {
        spaces.insert(row["vehiclespaceid"].get<std::int64_t>());
        if (passenger[row["vehiclespaceid"].get<std::int64_t>()])
            seats.insert(row["seatno"].get<std::int64_t>());
    }
    EXPECT_EQ(seats.size(), 45u);
    EXPECT_TRUE(spaces.count(62) && spaces.count(63)); // driver seat and door
}

TEST(DemoData, slipTemplateUsesEveryItemKindWithListRows)
{
    Stationd server;
    const Json templates = server.Post("system/queryPrinttemplate", {{"filter_EQS_pt!name", "默认结算单"}});
    ASSERT_EQ(templates["printtemplatelist"].size(), 1u);
    const auto id = templates["printtemplatelist"][0]["id"].get<std::int64_t>();
    std::set<int> kinds;
    bool list = false, hidden = false, nullParameter = false;
    for (const auto& item : Rows(server, "system/queryPrinttemplateitem",
                                        {{"filter_EQL_pti!printtemplate.id", std::to_string(id)}}, "printtemplateitemlist")) {
        kinds.insert(item["valuetype"].get<int>());
        list = list || item["islist"] == true;
        hidden = hidden || item["isprint"] == false;
        nullParameter = nullParameter || item["parameter"].is_null();
    }
    EXPECT_EQ(kinds, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_TRUE(list && hidden && nullParameter);
    EXPECT_TRUE(server.Post("system/queryPrinttemplate", {{"filter_EQS_pt!name", "没有"}})["printtemplatelist"].empty());
}

TEST(SlipRules, issueTakesTheNextBillNumberBillsTheCheckedTicketsAndDepartsTheSchedule)
{
    Stationd server;
    const Params ask = {{"billtypecode", "BalanceBill"}, {"billinuse.nextno", "-1"}};
    Json bill = server.Post("bill/initBillNo", ask);
    EXPECT_EQ(bill["curbillno"], 30002);
    EXPECT_EQ(bill["curbillnum"], 99);
    EXPECT_EQ(bill["billlength"], 8);
    ASSERT_EQ(server.Post("checkticket/checkbyTicketno", CheckBody("0000011013", "5001"))["flag"], 1);

    const Json issue = server.Post("checkticket/selfVehicleDepartinvoice", IssueBody("7001", "5001"));
    ASSERT_EQ(issue["flag"], 1) << issue.dump();
    ASSERT_EQ(issue["invoiceslist"].size(), 1u);
    const Json& slip = issue["invoiceslist"][0];
    EXPECT_EQ(slip["invoicesno"], "00030002");
    EXPECT_EQ(slip["ticketnum"], 11);
    EXPECT_EQ(slip["armtickets"], 1);
    bill = server.Post("bill/initBillNo", ask);
    EXPECT_EQ(bill["curbillno"], 30003);
    EXPECT_EQ(bill["curbillnum"], 98);

    const std::string slipId = std::to_string(slip["id"].get<std::int64_t>());
    const Json deductions = server.Post("checkticket/qryDeductfees", {{"departinvoicesid", slipId}});
    double deducted = 0;
    for (const auto& row : deductions["invoicesdetaillist"])
        deducted += row["deductmoney"].get<double>();
    EXPECT_EQ(deductions["invoicesdetaillist"].size(), 4u);
    EXPECT_NEAR(slip["totalamount"].get<double>() - deducted, slip["balanceamount"].get<double>(), 0.001);
    const Json details = server.Post("checkticket/qryInvoicesDetailPrintInfo", {{"departinvoicesid", slipId}});
    double total = 0;
    int people = 0;
    for (const auto& row : details["invoicesdetaillist"]) {
        total += row["totalamount"].get<double>();
        people += row["fullpeople"].get<int>() + row["halfpeople"].get<int>() + row["discountpeople"].get<int>();
    }
    EXPECT_GE(details["invoicesdetaillist"].size(), 3u);
    EXPECT_NEAR(total, slip["totalamount"].get<double>(), 0.001);
    EXPECT_EQ(people, 11);

    for (const auto& row : Rows(server, "checkticket/queryCheckedticket", {{"filter_EQL_sp!id", "7001"}}, "ticketlist"))
        EXPECT_EQ(row["printstatus"], row["dticketstatus"] == "已检票" ? "已打单" : "未打单") << row.dump();
    const Json plan = server.Post("checkticket/qryScheduleplan", {{"departdate", kDemoDay}, {"filter_EQL_vr!id", "5001"}});
    EXPECT_EQ(plan["planlist"][0]["isdeparted"], true);

    const Json again = server.Post("checkticket/selfVehicleDepartinvoice", IssueBody("7001", "5001"));
    EXPECT_EQ(again["flag"], 0);
    EXPECT_TRUE(again["invoiceslist"].empty());
    const Json reprint = server.Post("checkticket/selfVehicleDepartinvoice", IssueBody("7001", "5001", true, "00030002"));
    EXPECT_EQ(reprint["flag"], 1) << reprint.dump();
    EXPECT_EQ(reprint["invoiceslist"][0]["invoicesno"], "00030002");
    EXPECT_EQ(server.Post("bill/initBillNo", ask)["curbillno"], 30003);
    const Json records = server.Post("checkticket/qryDepartinvoicesByorg",
                                     {{"departdate", kDemoDay}, {"departdateend", kDemoDay}, {"vehicleid", "71"}});
    ASSERT_EQ(records["departinvoicesMap"].size(), 1u);
    EXPECT_NE(records["departinvoicesMap"][0]["departstatus"].get<std::string>().find("重打"), std::string::npos);
}

TEST(SlipRules, departedScheduleGetsASupplementaryIssueOfItsLateChecks)
{
    Stationd server;
    const Params supplement = {{"ip", "127.0.0.1"}, {"departstationid", "101"}, {"scheduleplanid", "7004"},
                               {"departinvoicesno", "00030002"}, {"vehiclereportid", "5004"}};
    const Json nothing = server.Post("checkticket/qryprintinvoices", supplement);
    EXPECT_EQ(nothing["flag"], 0);
    EXPECT_NE(Msg(nothing).find("没有已检未打单"), std::string::npos) << Msg(nothing);
    const Json normal = server.Post("checkticket/selfVehicleDepartinvoice", IssueBody("7004", "5004"));
    EXPECT_EQ(normal["flag"], 0);
    EXPECT_NE(Msg(normal).find("补开"), std::string::npos) << Msg(normal);

    ASSERT_EQ(server.Post("checkticket/checkbyTicketno", CheckBody("0000014023", "5004", true))["flag"], 1);
    const Json issued = server.Post("checkticket/qryprintinvoices", supplement);
    ASSERT_EQ(issued["flag"], 1) << issued.dump();
    EXPECT_EQ(issued["departinvoicesMap"][0]["invoicesno"], "00030002");
    EXPECT_EQ(issued["departinvoicesMap"][0]["ticketnum"], 1);
    EXPECT_EQ(issued["departinvoicesMap"][0]["remarks"], "补开");
    EXPECT_EQ(server.Post("bill/initBillNo", {{"billtypecode", "BalanceBill"}})["curbillno"], 30003);

    const Json notDeparted = server.Post("checkticket/qryprintinvoices",
                                         {{"scheduleplanid", "7001"}, {"vehiclereportid", "5001"}});
    EXPECT_EQ(notDeparted["flag"], 0);
    const Json sold = server.Post("checkticket/qryTicketsellsByVehicle",
                                  {{"departdate", kDemoDay}, {"vehiclereportid", "5004"}, {"scheduleplanid", "7004"}});
    std::map<std::string, int> statuses;
    for (const auto& row : sold["departinvoicesMap"])
        ++statuses[row["dticketstatus"].get<std::string>()];
    EXPECT_EQ(statuses["已打单"], 21);
    EXPECT_EQ(statuses["未检"], 2);
}

TEST(SlipRules, billNumberMovesForwardWithinTheStockOnly)
{
    Stationd server;
    const Json moved = server.Post("bill/initBillNo", {{"billtypecode", "BalanceBill"}, {"billinuse.nextno", "30010"}});
    EXPECT_EQ(moved["curbillno"], 30010);
    EXPECT_EQ(moved["curbillnum"], 91);
    for (const char* back : {"30005", "40000"}) {
        const Json refused = server.Post("bill/initBillNo", {{"billtypecode", "BalanceBill"}, {"billinuse.nextno", back}});
        EXPECT_EQ(refused["flag"], 0) << back;
    }
    const Json none = server.Post("bill/initBillNo", {{"billtypecode", "Ticket"}, {"billinuse.nextno", "-1"}});
    EXPECT_EQ(none["flag"], 0);
    EXPECT_EQ(none["curbillno"], 0);
}

TEST(LoginRules, staffLoginAnswersTheUserAndRefusesWhatDoesNotFit)
{
    Stationd server;
    const Json ok = server.Post("system/login", {{"username", "kiosk01"}, {"userpwd", "123456"}, {"ticketoutletcode", "ZZ01"}});
    EXPECT_EQ(ok["flag"], 1);
    EXPECT_EQ(*Path(ok, "global.organization.station.id"), 101);
    EXPECT_EQ(*Path(ok, "global.userinfo.orgid"), 11);
    EXPECT_EQ(*Path(ok, "global.ticketoutlets.name"), "自助检票打单机01");
    const Params refused[] = {
        {{"username", "kiosk01"}, {"userpwd", "654321"}, {"ticketoutletcode", "ZZ01"}},
        {{"username", "nobody"}, {"userpwd", "123456"}, {"ticketoutletcode", "ZZ01"}},
        {{"username", "lisi"}, {"userpwd", "888888"}, {"ticketoutletcode", "ZZ01"}},
        {{"username", "kiosk01"}, {"userpwd", "123456"}, {"ticketoutletcode", "XX99"}},
        {{"username", ""}, {"userpwd", "123456"}, {"ticketoutletcode", "ZZ01"}},
    };
    for (const auto& body : refused)
        EXPECT_EQ(server.Post("system/login", body)["flag"], 0) << body[0].second << body[2].second;
    EXPECT_EQ(server.Post("system/findParameterValue", {{"code", "3009"}})["parametervalue"], "1");
    EXPECT_EQ(server.Post("system/findParameterValue", {{"code", "3007"}, {"orgid", "11"}})["parametervalue"], "30");
    EXPECT_EQ(server.Post("system/findParameterValue", {{"code", "9999"}})["flag"], 0);
    const Json conn = server.Post("system/testConn", {{"secretKey", "KESTKEY"}});
    EXPECT_EQ(conn["curDatetime"].get<std::string>().substr(0, 10), kDemoDay);
}

TEST(LoginRules, driverLogsInByIdNumberCardOrVehiclePassword)
{
    Stationd server;
    struct LoginCase {
        const char* why;
        Params body;
        std::int64_t vehicle; // 0: refused
    };
    const LoginCase cases[] = {
        {"ID number alone", {{"vehicle.id", "0"}, {"vehicle.gprs", "440101198001010011"}, {"isidcardlogin", "True"}}, 71},
        {"second driver with the plate", {{"vehicle.id", "71"}, {"vehicle.gprs", "440101198203030044"}, {"isidcardlogin", "True"}}, 71},
        {"picked plate he does not drive", {{"vehicle.id", "73"}, {"vehicle.gprs", "440101198501010022"}, {"isidcardlogin", "True"}}, 72},
        {"departed vehicle's driver", {{"vehicle.gprs", "440101199001010033"}, {"isidcardlogin", "True"}}, 73},
        {"unknown ID number", {{"vehicle.id", "71"}, {"vehicle.gprs", "440101190001010099"}, {"isidcardlogin", "True"}}, 0},
        {"no ID number", {{"vehicle.id", "71"}, {"vehicle.gprs", ""}, {"isidcardlogin", "True"}}, 0},
        {"IC card", {{"vehicle.cardno", "A1B2C3D4"}, {"isidcardlogin", "False"}}, 71},
        {"ID number not taken without the flag", {{"vehicle.gprs", "440101198001010011"}, {"isidcardlogin", "False"}}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const Json answer = server.Post("base/qryVehiclebyIdcard", c.body);
        EXPECT_EQ(answer["flag"], c.vehicle ? 1 : 0) << answer.dump();
        EXPECT_EQ(answer["vehicleid"], c.vehicle);
    }
    // A password with every escaped character survives the trip and opens the vehicle afterwards.
    const std::string password = "ab&c<d>\"%?+= x";
    EXPECT_EQ(server.Post("base/updateVehicle", {{"vehicle.id", "72"}, {"vehicle.gprs", password}})["flag"], 1);
    const Json login = server.Post("base/qryVehiclebyIdcard",
                                   {{"vehicle.id", "72"}, {"vehicle.gprs", "AB&C<D>\"%?+= X"}, {"isidcardlogin", "True"}});
    EXPECT_EQ(login["vehicleid"], 72);
    EXPECT_EQ(login["vehicleno"], "粤A23456");
    EXPECT_EQ(server.Post("base/updateVehicle", {{"vehicle.id", "72"}, {"vehicle.gprs", "  "}})["flag"], 0);
    EXPECT_EQ(server.Post("base/updateVehicle", {{"vehicle.id", "79"}, {"vehicle.gprs", "x"}})["flag"], 0);
}

TEST(LookupRules, plateLookupMatchesFragmentsAndScheduleListsFollowTheVehicle)
{
    Stationd server;
    const Json plates = server.Post("system/helpNoAuth", {{"helpType", "VehiclenoHelp"}, {"param", "a23"}});
    ASSERT_EQ(plates["helpmap"].size(), 1u);
    EXPECT_EQ(plates["helpmap"][0]["name"], "粤A23456");
    EXPECT_EQ(server.Post("system/helpNoAuth", {{"helpType", "VehiclenoHelp"}, {"param", ""}})["helpmap"].size(), 3u);
    EXPECT_EQ(server.Post("system/helpNoAuth", {{"helpType", "StationHelp"}})["flag"], 0);
    const Json lineWork = server.Post("system/tavrelSchedule", {{"departdate", kDemoDay}, {"vehicleid", "72"}});
    ASSERT_EQ(lineWork["helpmap"].size(), 1u);
    EXPECT_EQ(lineWork["helpmap"][0]["islinework"], true);
    EXPECT_EQ(lineWork["helpmap"][0]["departdate"], std::string(kDemoDay) + " 05:45:00");
    EXPECT_TRUE(server.Post("system/tavrelSchedule", {{"departdate", "2024-05-02"}, {"vehicleid", "71"}})["helpmap"].empty());
    EXPECT_TRUE(server.Post("system/tavrelSchedule", {{"departdate", kDemoDay}, {"vehicleid", "71"}, {"reportorgid", "101"}})
                    ["helpmap"].empty());
    const Json reports = server.Post("checkticket/QryReportSchs", {{"departdate", kDemoDay}, {"vehicleid", "71"}});
    EXPECT_EQ(reports["departinvoicesMap"].size(), 2u);
    const Json abnormal = server.Post("checkticket/qryNonomalSch", {{"departstationid", "101"}});
    EXPECT_EQ(abnormal["departinvoicesMap"].size(), 2u);
}

} // namespace
} // namespace stationd::test
