// The whole road of a kiosk against stationd as stations run their servers: the kiosk itself
// (kiosk-road, the kiosk with a road player) starts up (connection test, staff login that opens
// the session), logs a driver in by ID number on the keypad, checks a typed and a scanned
// ticket, prints the slip, logs his co-driver in by ID card, checks again and reads the records
// tab; against a server that answers in UTF-8, one that answers in GBK, and one behind HTTPS
// whose certificate a CA made by the test signed. Sessions are enforced in all three.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "e2e/checkdesk.h"
#include "platform/datetime.h"
#include "support/stationd_fixture.h"
#include "support/tempfolder.h"
#include "support/testca.h"

namespace kiosk::test {
namespace {

namespace fs = std::filesystem;

enum class Serving { Utf8, Gbk, Https };

struct RoadCase {
    const char* name;
    Serving serving;
};

std::string BinDir() { return std::getenv("KIOSK_BIN_DIR"); }

// Runs the command, its output going to `log`; answers its exit status.
int RunCommand(const std::string& command, const fs::path& log)
{
    const int status = std::system((command + " > '" + log.string() + "' 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class StationRoad : public testing::TestWithParam<RoadCase> {};

TEST_P(StationRoad, wholeRoadWithSessionsOn)
{
    const RoadCase& c = GetParam();
    TempFolder home;
    TestCA ca;
    stationd::test::Stationd::Options options;
    if (c.serving == Serving::Gbk) options.extra = {"--charset", "gbk"};
    if (c.serving == Serving::Https) {
        ca = MakeTestCA(home.path());
        if (ca.caFile.empty()) GTEST_SKIP() << "the openssl command is not installed";
        options.extra = {"--tls-cert", ca.certFile, "--tls-key", ca.keyFile};
    }
    // The server's day is the machine's: the kiosk may not set its clock from the server here.
    options.extra.insert(options.extra.end(), {"--today", kiosk::DateTime::Today().DateText()});
    stationd::test::Stationd station(options);
    station.SetCaFile(ca.caFile);
    ASSERT_EQ(station.Scheme(), c.serving == Serving::Https ? "https" : "http");

    std::string ini = "[server]\nip=127.0.0.1\nport=" + std::to_string(station.Port()) + "\n";
    if (c.serving == Serving::Https) ini += "https=1\ncafile=ca.pem\n";
    ini += "[userinfo]\nusername=kiosk01\npassword=123456\nautomin=60\n[ticketoutlet]\ncode=ZZ01\n"
           "[idcard]\nlibrary=" + BinDir() + "/../lib/libtermb.so\n";
    home.Write("App.ini", ini);

    const fs::path out = home.path() / "road-output.txt";
    // The kiosk sets the clock from the server where it may: as root the player runs without
    // CAP_SYS_TIME, so a test never sets the machine's clock.
    const std::string noClock = geteuid() == 0 ? "setpriv --bounding-set -sys_time -- " : "";
    const int code = RunCommand("QT_QPA_PLATFORM=offscreen " + noClock + "'" + BinDir() + "/kiosk-road' --home '" + home.str() +
                             "' --road-out '" + (home.path() / "road").string() + "'",
                         out);
    const std::string road = ReadFile(out);
    const std::string served = station.Log();
    EXPECT_EQ(code, 0) << road << served;
    EXPECT_EQ(road.find("FAILED"), std::string::npos) << road;
    EXPECT_TRUE(fs::exists(home.path() / "road" / "slip.pdf")) << road;
    EXPECT_NE(road.find("records tab: "), std::string::npos) << road;

    // The session: the login opened it, every later request carried it.
    EXPECT_NE(served.find("/KtBusWeb/system/login.action [username=kiosk01"), std::string::npos) << served;
    EXPECT_EQ(served.find("flag=401"), std::string::npos) << served;
    for (const char* address : {"bill/listbilltype", "base/qryVehiclebyIdcard", "checkticket/checkbyTicketno",
                                "checkticket/selfVehicleDepartinvoice", "checkticket/qryDepartinvoicesByorg"})
        EXPECT_NE(served.find(std::string("/KtBusWeb/") + address + ".action"), std::string::npos) << address;

    // What was served is what was asked for.
    const auto answer = station.AnonymousClient().Post("/KtBusWeb/system/testConn.action", "&secretKey=KESTKEY",
                                                       "application/x-www-form-urlencoded;charset=utf-8");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->get_header_value("Content-Type"),
              c.serving == Serving::Gbk ? "application/json;charset=gbk" : "application/json;charset=utf-8");
}

INSTANTIATE_TEST_SUITE_P(Serving, StationRoad,
                         testing::Values(RoadCase{"Utf8", Serving::Utf8}, RoadCase{"Gbk", Serving::Gbk},
                                         RoadCase{"Https", Serving::Https}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kiosk::test
