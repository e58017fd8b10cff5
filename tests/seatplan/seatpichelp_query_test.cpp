// TSeatPicHelp against a station server on 127.0.0.1.
#include <gtest/gtest.h>

#include "core/coreservices.h"
#include "core/sysfactory.h"
#include "core/sysservice.h"
#include "seatplan/seatpichelp.h"
#include "seatserver.h"
#include "support/tempfolder.h"

namespace kiosk {
namespace {

using nlohmann::json;
using test::TableAnswer;

const json kSeatStatusTypes = {{"seatno", "Integer"},  {"status", "String"},        {"tickettype", "String"},
                               {"seattype", "String"}, {"ticketno", "String"},      {"ischecked", "Boolean"},
                               {"departstationid", "Long"}, {"seatinfo", "String"}, {"colortype", "String"},
                               {"hint", "String"}};

json SeatRow(int seat, const char* status, const char* ticketno, bool checked, json station, const char* seatinfo)
{
    return {{"seatno", seat},          {"status", status},     {"tickettype", "Q"},  {"seattype", "1"},
            {"ticketno", ticketno},    {"ischecked", checked}, {"departstationid", station},
            {"seatinfo", seatinfo},    {"colortype", "2"},     {"hint", "座位" + std::to_string(seat)}};
}

class SeatPicHelpQuery : public testing::Test {
protected:
    void SetUp() override
    {
        FreeSysService();
        FreeFactoryManager();
        RegisterCoreServices(home.str());
        auto user = std::make_shared<TLoginUserInfo>();
        user->StationID = 101;
        GetSysInfo()->setLoginUserInfo(user);
        jcon.SetURLHost(server.BaseURL());
    }
    void TearDown() override
    {
        FreeSysService();
        FreeFactoryManager();
    }

    test::TempFolder home;
    test::SeatServer server;
    TjsonConnection jcon;
};

TEST_F(SeatPicHelpQuery, LoadsTheSeatStatesOfASchedulePlanAndRefillsInPlace)
{
    server.Answer("checkticket/qrySeatstatus",
                  TableAnswer("seatstatuslist", kSeatStatusTypes,
                              json::array({SeatRow(1, "7", "0001", true, 101, "清远"),
                                           SeatRow(2, "2", "0002", false, 101, "广州"),
                                           SeatRow(2, "2", "0003", false, 101, "佛山"),
                                           SeatRow(3, "2", "0004", false, 102, "韶关"),
                                           SeatRow(4, "0", "0", false, nullptr, "")})));
    TSeatPicHelp help(&jcon);
    const TSeatDictPtr states = help.seatsStatus;
    help.qrySeatstatus(7001, true);
    EXPECT_NE(server.LastBody().find("scheduleplanid=7001"), std::string::npos);
    EXPECT_EQ(*help.seatsStatus, (TSeatDict{{1, "7"}, {2, "2"}, {3, "2"}, {4, "0"}}));
    EXPECT_EQ((*help.seatticketno)[2], "0002,0003");
    EXPECT_EQ((*help.seatStation)[2], "广州,佛山");
    EXPECT_EQ(help.checktickets, 1);
    EXPECT_EQ(help.unchecktickets, 1);  // seat 3 was sold at another station
    EXPECT_EQ(help.seatCanCheck, (TSeatList{2}));
    EXPECT_EQ((*help.seatshint)[4], "座位4");

    server.Answer("checkticket/qrySeatstatus",
                  TableAnswer("seatstatuslist", kSeatStatusTypes, json::array({SeatRow(1, "8", "0001", true, 101, "")})));
    help.qrySeatstatus(7002, false);
    EXPECT_EQ(help.seatsStatus, states);
    EXPECT_EQ(*states, (TSeatDict{{1, "8"}}));
    EXPECT_TRUE(help.seatshint->empty());
}

TEST_F(SeatPicHelpQuery, EmptyAnswerLeavesEverythingEmpty)
{
    server.Answer("checkticket/qrySeatstatus", TableAnswer("seatstatuslist", kSeatStatusTypes, json::array()));
    TSeatPicHelp help(&jcon);
    help.FillSeatStatus({TSeatStatusRow{1, "2", "Q", "1", "0001", false, 101, "", "", ""}}, 101, false);
    help.qrySeatstatus(7001, false);
    EXPECT_TRUE(help.seatsStatus->empty());
    EXPECT_EQ(help.unchecktickets, 0);
}

TEST_F(SeatPicHelpQuery, FailingQueryRaisesTheServersMessage)
{
    server.Answer("checkticket/qrySeatstatus", test::FailedAnswer("seatstatuslist", "班次不存在"));
    TSeatPicHelp help(&jcon);
    try {
        help.qrySeatstatus(7001, false);
        FAIL() << "no exception";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "班次不存在");
    }
}

} // namespace
} // namespace kiosk
