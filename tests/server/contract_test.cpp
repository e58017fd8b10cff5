// Every endpoint of docs/server-contract.md, posted as the kiosk posts it: the answer is one JSON
// object with "flag" and "msg", every declared output key (dotted paths as nested objects) and,
// for queries, the table with its "_type" and "_typelength" objects and the columns the kiosk reads.
#include "support/stationd_fixture.h"

#include <gtest/gtest.h>

#include <regex>

namespace stationd::test {
namespace {

struct ColumnSpec {
    const char* name;
    const char* type; // server type name
};

struct EndpointCase {
    const char* address;
    Params body;
    std::vector<const char*> outputs;
    const char* source; // "" for an execute
    std::vector<ColumnSpec> columns;
    std::size_t minRows = 1;
};

bool ValueHasType(const Json& value, const std::string& type)
{
    static const std::regex day(R"(\d{4}-\d{2}-\d{2})");
    static const std::regex moment(R"(\d{4}-\d{2}-\d{2}[ T]\d{2}:\d{2}:\d{2})");
    if (value.is_null())
        return true;
    if (type == "Long" || type == "Integer")
        return value.is_number_integer();
    if (type == "BigDecimal")
        return value.is_number();
    if (type == "Boolean")
        return value.is_boolean();
    if (type == "Date")
        return value.is_string() && std::regex_match(value.get<std::string>(), day);
    if (type == "Timestamp")
        return value.is_string() && std::regex_match(value.get<std::string>(), moment);
    return value.is_string();
}

const Params kStaff = {{"username", "kiosk01"}, {"userpwd", "123456"}, {"ticketoutletcode", "ZZ01"}};
const Params kSlip = {{"departinvoicesid", "2"}};

std::vector<EndpointCase> Cases()
{
    const std::vector<ColumnSpec> slip = {
        {"id", "Long"}, {"vehicleno", "String"}, {"seatnum", "Integer"}, {"brandname", "String"},
        {"vehicletype", "String"}, {"distance", "Integer"}, {"checkedname", "String"}, {"freetickets", "Integer"},
        {"armtickets", "Integer"}, {"invoicesno", "String"}, {"unit", "String"}, {"ticketnum", "Integer"},
        {"driver1", "String"}, {"driver2", "String"}, {"driver3", "String"}, {"driver4", "String"},
        {"steward", "String"}, {"remarks", "String"}, {"ticketoutname", "String"}, {"ticketoutshort", "String"},
        {"balanceunit", "String"}, {"fullname", "String"}, {"stationfee", "BigDecimal"},
        {"totalamount", "BigDecimal"}, {"agentfee", "BigDecimal"}, {"balanceamount", "BigDecimal"},
        {"fueladditionfee", "BigDecimal"}, {"otherfee", "BigDecimal"}, {"isovertime", "Boolean"}};
    return {
        {"system/testConn", {{"secretKey", "KESTKEY"}, {"hostAddress", "127.0.0.1"}, {"hostName", " kiosk"}},
         {"connmsg", "sresult", "curDatetime"}, "", {}},
        {"system/login", kStaff,
         {"global.userinfo.id", "global.userinfo.name", "global.userinfo.code", "global.userinfo.orgid",
          "global.organization.name", "global.organization.station.id", "global.organization.organ.id",
          "global.organization.organ.name", "global.orgIDs", "global.department.id", "global.department.name",
          "global.ticketoutlets.id", "global.ticketoutlets.name"},
         "", {}},
        {"system/logout", {}, {}, "", {}},
        {"bill/listbilltype", {}, {}, "billtypemap", {{"code", "String"}, {"ticketnolength", "Integer"}}, 2},
        {"system/findParameterValue", {{"code", "3009"}, {"orgid", "11"}}, {"parametervalue"}, "", {}},
        {"system/helpNoAuth", {{"helpType", "VehiclenoHelp"}, {"param", "A1"}}, {}, "helpmap",
         {{"id", "Long"}, {"name", "String"}, {"seatnum", "Integer"}}},
        {"system/help", {{"helpType", "StationHelp"}, {"param", ""}}, {}, "helpmap", {{"id", "Long"}, {"name", "String"}}},
        {"system/queryhelpcombox", {{"helpType", "TicketentranceHelp"}}, {}, "datalist",
         {{"ID", "Integer"}, {"name", "String"}, {"CODE", "String"}}},
        {"base/qryVehiclebyIdcard",
         {{"vehicle.id", "0"}, {"vehicle.gprs", "440101198001010011"}, {"isidcardlogin", "True"}},
         {"vehicleid", "vehicleno"}, "", {}},
        {"checkticket/qryNonomalSch", {{"departstationid", "101"}}, {}, "departinvoicesMap",
         {{"name", "String"}, {"code", "String"}, {"departdate", "Date"}, {"departtime", "String"},
          {"soldeatnum", "Integer"}, {"statusname", "String"}, {"reason", "String"}}},
        {"checkticket/qryNonomalSchadd", {}, {}, "departinvoicesMap",
         {{"routename", "String"}, {"schedulecode", "String"}, {"departdate", "Date"}, {"departtime", "String"},
          {"soldeatnum", "Integer"}, {"vehicleparkname", "String"}}},
        {"system/tavrelSchedule", {{"departdate", kDemoDay}, {"vehicleid", "71"}, {"reportorgid", "11"}}, {}, "helpmap",
         {{"id", "Long"}, {"name", "String"}, {"departdate", "Timestamp"}, {"islinework", "Boolean"}}, 2},
        {"checkticket/qryScheduleplan",
         {{"departdate", kDemoDay}, {"reportorgid", "11"}, {"checkstationid", "101"},
          {"filter_INS_ss!departstationid", "101"}, {"filter_EQL_vr!id", "5001"}},
         {}, "planlist",
         {{"id", "Long"}, {"vehiclereportid", "Long"}, {"code", "String"}, {"departdate", "Date"},
          {"departtime", "String"}, {"departstation", "String"}, {"endstation", "String"}, {"routename", "String"},
          {"islinework", "Boolean"}, {"isdeparted", "Boolean"}}},
        {"checkticket/queryCheckedticket", {{"filter_EQL_sp!id", "7001"}}, {}, "ticketlist",
         {{"departdate", "Date"}, {"ticketno", "String"}, {"departtime", "String"}, {"reachstation", "String"},
          {"seatno", "Integer"}, {"price", "BigDecimal"}, {"tickettypename", "String"}, {"dticketstatus", "String"},
          {"printstatus", "String"}},
         30},
        {"checkticket/checkisschedule", {{"ticketno", "0000011020"}, {"vehiclereportid", "5001"}, {"departdate", kDemoDay}},
         {}, "", {}},
        {"checkticket/checkbyTicketno",
         {{"checkstationid", "101"}, {"vehiclereportid", "5001"}, {"ticketno", "0000011020"},
          {"ticketentrance", "1号检票口; 2号检票口"}, {"ip", "127.0.0.1"}, {"islazycheck", "False"}},
         {"scheduleplanid", "reportid"}, "", {}},
        {"checkticket/qryIssamerep",
         {{"vehiclereportid", "5001"}, {"ticketno", "0000011020"}, {"checkstationid", "101"}, {"departdate", kDemoDay}},
         {}, "", {}},
        {"checkticket/qryTicketentrance", {{"ip", "127.0.0.1"}, {"orgid", "11"}}, {}, "entrancelist",
         {{"ID", "Integer"}, {"name", "String"}, {"CODE", "String"}}},
        {"checkticket/qrySeatstatus", {{"scheduleplanid", "7001"}}, {}, "seatstatuslist",
         {{"seatno", "Integer"}, {"status", "String"}, {"tickettype", "String"}, {"seattype", "String"},
          {"ticketno", "String"}, {"ischecked", "Boolean"}, {"departstationid", "Long"}, {"seatinfo", "String"},
          {"colortype", "String"}, {"hint", "String"}},
         45},
        {"bill/initBillNo", {{"billtypecode", "BalanceBill"}, {"billinuse.nextno", "-1"}},
         {"curbillno", "curbillnum", "billlength"}, "", {}},
        {"checkticket/qryDeductfees", kSlip, {}, "invoicesdetaillist", {{"code", "String"}, {"deductmoney", "BigDecimal"}},
         3},
        {"checkticket/qryInvoicesDetailPrintInfo", kSlip, {}, "invoicesdetaillist",
         {{"fromstation", "String"}, {"reachstation", "String"}, {"fullpeople", "Integer"}, {"halfpeople", "Integer"},
          {"discountpeople", "Integer"}, {"price", "BigDecimal"}, {"distance", "Integer"}, {"totalamount", "BigDecimal"},
          {"noservicestationfee", "BigDecimal"}, {"balanceprice", "BigDecimal"}, {"balanceamount", "BigDecimal"},
          {"noagentbalanceamount", "BigDecimal"}},
         2},
        {"checkticket/qryDepartinvoicesByorg",
         {{"departdate", "2024-04-30"}, {"vehicleid", "71"}, {"printorgid", "11"}, {"departdateend", kDemoDay}}, {},
         "departinvoicesMap",
         {{"departdate", "Date"}, {"stationname", "String"}, {"routename", "String"}, {"code", "String"},
          {"departtime", "String"}, {"vehicleno", "String"}, {"departinvoicesno", "String"}, {"departstatus", "String"},
          {"tickets", "Integer"}, {"ticketnum", "Integer"}, {"balanceamount", "BigDecimal"},
          {"scheduleplanid", "Long"}, {"vehiclereportid", "Long"}, {"reportid", "Long"}}},
        {"checkticket/QryReportSchs", {{"departdate", kDemoDay}, {"vehicleid", "71"}, {"printorgid", "11"}}, {},
         "departinvoicesMap",
         {{"reportid", "Long"}, {"scheduleplanid", "Long"}, {"code", "String"}, {"departtime", "String"}}, 2},
        {"checkticket/qryTicketsellsByVehicle",
         {{"departdate", kDemoDay}, {"vehiclereportid", "5004"}, {"scheduleplanid", "7004"},
          {"departinvoicesno", "00030001"}},
         {}, "departinvoicesMap",
         {{"departdate", "Date"}, {"departinvoicesno", "String"}, {"name", "String"}, {"ticketno", "String"},
          {"code", "String"}, {"departtime", "String"}, {"reachname", "String"}, {"seatno", "Integer"},
          {"tickettypename", "String"}, {"price", "BigDecimal"}, {"dticketstatus", "String"}},
         20},
        {"base/updateVehicle", {{"vehicle.id", "73"}, {"vehicle.gprs", "K0700"}}, {}, "", {}},
        {"base/findVehiclespace", {}, {}, "vehiclespacelist",
         {{"id", "Long"}, {"name", "String"}, {"ispassengerseat", "Boolean"}, {"seattype", "String"},
          {"picture", "String"}},
         4},
        {"base/findTickettype", {}, {}, "tickettypemap", {{"code", "String"}, {"soldpicture", "String"}}, 2},
        {"base/qryvehiclespacesoldpicture", {}, {}, "vehiclespacesoldpicturemap",
         {{"vehiclespaceid", "Long"}, {"tickettypecode", "String"}, {"soldpicture", "String"}}, 2},
        {"base/qryseatstatuspicture", {}, {}, "seatstatuspicturemap", {{"seatstatus", "String"}, {"picture", "String"}},
         9},
        {"base/findVehicleseatplandetail", {{"vehicleseatplan.vehiclebrandmodelid", "51"}}, {},
         "vehicleseatplandetaillist",
         {{"id", "Long"}, {"rowno", "Integer"}, {"colno", "Integer"}, {"width", "Integer"}, {"height", "Integer"},
          {"vehiclespaceid", "Long"}, {"seatno", "Integer"}, {"remarks", "String"}, {"createby", "Long"},
          {"createtime", "String"}, {"updateby", "Long"}, {"updatetime", "String"}},
         47},
        {"system/queryPrinttemplate", {{"filter_EQS_pt!name", "默认结算单"}}, {}, "printtemplatelist",
         {{"id", "Long"}, {"name", "String"}, {"printername", "String"}, {"width", "Integer"}, {"left", "Integer"},
          {"top", "Integer"}, {"height", "Integer"}, {"heightcorrection", "Integer"}, {"rowperpage", "Integer"},
          {"columnsperpage", "Integer"}, {"rowspace", "Integer"}}},
        {"system/queryPrinttemplateitem", {{"filter_EQL_pti!printtemplate.id", "1"}}, {}, "printtemplateitemlist",
         {{"isprint", "Boolean"}, {"valuetype", "Integer"}, {"left", "Integer"}, {"top", "Integer"},
          {"width", "Integer"}, {"height", "Integer"}, {"title", "String"}, {"fontname", "String"},
          {"fontsize", "Integer"}, {"islist", "Boolean"}, {"itemcode", "String"}, {"parameter", "String"}},
         20},
        // The slip issue last: it bills the ticket checked above and departs the schedule.
        {"checkticket/selfVehicleDepartinvoice",
         {{"departstationid", "101"}, {"scheduleplanid", "7001"}, {"departinvoicesno", "00030002"},
          {"vehiclereportid", "5001"}, {"ip", "127.0.0.1"}, {"isreprint", "False"}, {"iscomputeno", "True"},
          {"departdate", kDemoDay}, {"isprintbynewticketno", "True"}},
         {"msg1"}, "invoiceslist", slip},
        {"checkticket/checkbyTicketno",
         {{"checkstationid", "101"}, {"vehiclereportid", "5004"}, {"ticketno", "0000014022"}, {"ip", "127.0.0.1"},
          {"islazycheck", "True"}},
         {"scheduleplanid", "reportid"}, "", {}},
        {"checkticket/qryprintinvoices",
         {{"ip", "127.0.0.1"}, {"departstationid", "101"}, {"scheduleplanid", "7004"}, {"departinvoicesno", "00030003"},
          {"vehiclereportid", "5004"}},
         {}, "departinvoicesMap", slip},
    };
}

TEST(Contract, everyEndpointAnswersItsKeysTablesAndColumnTypes)
{
    Stationd server;
    for (const auto& c : Cases()) {
        SCOPED_TRACE(c.address);
        const Json answer = server.Post(c.address, c.body);
        ASSERT_TRUE(answer.contains("flag")) << answer.dump();
        EXPECT_EQ(answer["flag"], 1) << answer.dump();
        ASSERT_TRUE(answer.contains("msg") && answer["msg"].is_string()) << answer.dump();
        for (const char* output : c.outputs)
            EXPECT_NE(Path(answer, output), nullptr) << output << " in " << answer.dump();
        if (std::string(c.source).empty())
            continue;
        const std::string source = c.source;
        ASSERT_TRUE(answer.contains(source) && answer[source].is_array()) << answer.dump();
        ASSERT_TRUE(answer.contains(source + "_type") && answer[source + "_type"].is_object());
        ASSERT_TRUE(answer.contains(source + "_typelength") && answer[source + "_typelength"].is_object());
        const Json& types = answer[source + "_type"];
        for (const auto& column : c.columns) {
            ASSERT_TRUE(types.contains(column.name)) << column.name;
            const std::string type = types[column.name];
            if (std::string(column.type) == "String")
                EXPECT_TRUE(type == "String") << column.name << " is " << type;
            else
                EXPECT_EQ(type, column.type) << column.name;
        }
        for (const auto& [name, length] : answer[source + "_typelength"].items())
            EXPECT_TRUE(length.is_number_integer()) << name;
        const Json& rows = answer[source];
        EXPECT_GE(rows.size(), c.minRows);
        for (const auto& row : rows) {
            ASSERT_TRUE(row.is_object());
            for (const auto& column : c.columns) {
                ASSERT_TRUE(row.contains(column.name)) << column.name << " in " << row.dump();
                EXPECT_TRUE(ValueHasType(row[column.name], types[column.name])) << column.name << " " << row.dump();
            }
        }
    }
}

TEST(Contract, refusalsStillCarryEveryDeclaredOutputAndTheSlipTable)
{
    Stationd server;
    struct Refusal {
        const char* address;
        Params body;
        std::vector<const char*> outputs;
        const char* table;
    };
    const Refusal refusals[] = {
        {"system/login", {{"username", "kiosk01"}, {"userpwd", "wrong"}, {"ticketoutletcode", "ZZ01"}},
         {"global.userinfo.id", "global.organization.station.id", "global.organization.organ.name",
          "global.ticketoutlets.name", "global.orgIDs"},
         nullptr},
        {"system/testConn", {{"secretKey", "OTHER"}}, {"connmsg", "sresult", "curDatetime"}, nullptr},
        {"base/qryVehiclebyIdcard", {{"vehicle.gprs", "110101190001010000"}, {"isidcardlogin", "True"}},
         {"vehicleid", "vehicleno"}, nullptr},
        {"checkticket/checkbyTicketno", {{"vehiclereportid", "5001"}, {"ticketno", "9999999999"}},
         {"scheduleplanid", "reportid"}, nullptr},
        {"checkticket/checkbyTicketno", {{"vehiclereportid", "x"}}, {"scheduleplanid", "reportid"}, nullptr},
        {"bill/initBillNo", {{"billtypecode", "Ticket"}, {"billinuse.nextno", "-1"}},
         {"curbillno", "curbillnum", "billlength"}, nullptr},
        {"checkticket/selfVehicleDepartinvoice", {{"scheduleplanid", "7004"}, {"vehiclereportid", "5004"}}, {"msg1"},
         "invoiceslist"},
        {"checkticket/selfVehicleDepartinvoice", {{"scheduleplanid", "bad"}}, {"msg1"}, "invoiceslist"},
        {"checkticket/qryprintinvoices", {{"scheduleplanid", "7001"}, {"vehiclereportid", "5001"}}, {},
         "departinvoicesMap"},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.address);
        const Json answer = server.Post(r.address, r.body);
        EXPECT_NE(answer["flag"], 1) << answer.dump();
        ASSERT_TRUE(answer["msg"].is_string());
        EXPECT_FALSE(answer["msg"].get<std::string>().empty());
        for (const char* output : r.outputs)
            EXPECT_NE(Path(answer, output), nullptr) << output << " in " << answer.dump();
        if (r.table) {
            EXPECT_TRUE(answer.contains(r.table) && answer[r.table].empty()) << answer.dump();
            EXPECT_TRUE(answer.contains(std::string(r.table) + "_type"));
        }
    }
}

TEST(Contract, aMalformedQueryAnswersFlagAndMessageWithoutATable)
{
    Stationd server;
    for (const auto& [address, body, source] :
         std::vector<std::tuple<const char*, Params, const char*>>{
             {"checkticket/queryCheckedticket", {}, "ticketlist"},
             {"checkticket/qryScheduleplan", {{"filter_EQL_xx!id", "1"}}, "planlist"},
             {"checkticket/qrySeatstatus", {{"scheduleplanid", "seven"}}, "seatstatuslist"},
             {"system/queryPrinttemplate", {}, "printtemplatelist"}}) {
        const Json answer = server.Post(address, body);
        EXPECT_EQ(answer["flag"], 0) << address;
        EXPECT_FALSE(answer["msg"].get<std::string>().empty()) << address;
        EXPECT_FALSE(answer.contains(std::string(source) + "_type")) << address << answer.dump();
    }
}

} // namespace
} // namespace stationd::test
