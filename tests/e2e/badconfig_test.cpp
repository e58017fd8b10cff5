// Bad configuration on a kiosk PC, one case each: App.ini or PrintConfig.ini missing, empty,
// binary or cut off, a [server] port that is no number, an error folder the kiosk cannot write,
// a full disk. Each gives its line on standard error (the journal) and the unattended kiosk
// goes on: to the login screen where the server's address survived, to its start-up page,
// trying again, where it did not.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "e2e/kioskprocess.h"
#include "platform/datetime.h"
#include "support/stationd_fixture.h"
#include "support/tempfolder.h"

using namespace kiosk;
using namespace kiosk::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

std::string GoodAppIni(int port)
{
    return "[server]\nip=127.0.0.1\nport=" + std::to_string(port) +
           "\n[userinfo]\nusername=kiosk01\npassword=123456\nautomin=60\n[ticketoutlet]\ncode=ZZ01\n"
           "[idcard]\nlibrary=" KIOSK_TERMB_SIMULATOR "\n";
}

const char* const kGoodPrintConfig = "[BalanceBill]\ntemplateName=结算单\n";
const std::string kBinary("\x7f" "ELF\x02\x01\x01\0\0\0\0\xff\xfe\x90\x90", 16);

struct BadConfig {
    const char* name;
    // Lays out the application folder; the server's port is given.
    std::function<void(const TempFolder& home, int port)> setUp;
    const char* line;           // on standard error
    bool reachesLoginScreen;    // else the start-up page, trying again
};

std::string Today() { return DateTime::Today().DateText(); }

void Good(const TempFolder& home, int port)
{
    home.Write("App.ini", GoodAppIni(port));
    home.Write("PrintConfig.ini", kGoodPrintConfig);
}

const BadConfig kCases[] = {
    {"appIniMissing", [](const TempFolder& home, int) { home.Write("PrintConfig.ini", kGoodPrintConfig); },
     "kiosk: 找不到配置文件App.ini", false},
    {"appIniEmpty", [](const TempFolder& home, int port) { Good(home, port); home.Write("App.ini", ""); },
     "kiosk: 配置文件App.ini是空的", false},
    {"appIniBinary", [](const TempFolder& home, int port) { Good(home, port); home.Write("App.ini", kBinary); },
     "kiosk: 配置文件App.ini不是文本文件", false},
    {"appIniCutOff",
     [](const TempFolder& home, int port) {
         Good(home, port);
         home.Write("App.ini", "[server]\nip=127.0.0.1\npo");
     },
     "kiosk: 配置文件App.ini第3行无法识别", false},
    {"portNotANumber",
     [](const TempFolder& home, int port) {
         Good(home, port);
         std::string ini = GoodAppIni(port);
         ini.replace(ini.find("port=") + 5, std::to_string(port).size(), "8o8o");
         home.Write("App.ini", ini);
     },
     "kiosk: App.ini中[server] port不是端口号：“8o8o”", false},
    {"printConfigMissing", [](const TempFolder& home, int port) { home.Write("App.ini", GoodAppIni(port)); },
     "kiosk: 找不到配置文件PrintConfig.ini", true},
    {"printConfigEmpty", [](const TempFolder& home, int port) { Good(home, port); home.Write("PrintConfig.ini", "\r\n"); },
     "kiosk: 配置文件PrintConfig.ini是空的", true},
    {"printConfigBinary", [](const TempFolder& home, int port) { Good(home, port); home.Write("PrintConfig.ini", kBinary); },
     "kiosk: 配置文件PrintConfig.ini不是文本文件", true},
    {"printConfigCutOff",
     [](const TempFolder& home, int port) {
         Good(home, port);
         home.Write("PrintConfig.ini", "[BalanceBill]\ntemplateName=结算单\n[Supp");
     },
     "kiosk: 配置文件PrintConfig.ini第3行无法识别", true},
    // Root writes everywhere: where the error folder should be lies a file instead.
    {"errorFolderUnwritable",
     [](const TempFolder& home, int port) {
         Good(home, port);
         if (geteuid() == 0) {
             home.Write("error", "not a folder");
         } else {
             fs::create_directory(home / "error");
             chmod((home / "error").c_str(), 0500);
         }
     },
     "kiosk: 日志目录无法", true},
    // Today's log file on a full disk: every write fails with ENOSPC.
    {"diskFull",
     [](const TempFolder& home, int port) {
         Good(home, port);
         fs::create_directory(home / "error");
         fs::create_symlink("/dev/full", home / ("error/" + Today() + ".txt"));
     },
     "No space left on device", true},
};

class BadConfiguration : public testing::TestWithParam<BadConfig> {
protected:
    static void SetUpTestSuite() { station = std::make_unique<stationd::test::Stationd>(); }
    static void TearDownTestSuite() { station.reset(); }
    static std::unique_ptr<stationd::test::Stationd> station;
};

std::unique_ptr<stationd::test::Stationd> BadConfiguration::station;

} // namespace

TEST_P(BadConfiguration, isSaidOnStandardErrorAndTheKioskGoesOn)
{
    const BadConfig& c = GetParam();
    TempFolder home;
    c.setUp(home, station->Port());
    const fs::path socketFolder = fs::temp_directory_path() / ("kiosk-notify-" + std::to_string(getpid()));
    fs::create_directories(socketFolder);
    NotifySocket systemd(socketFolder / c.name);
    {
        KioskProcess kiosk(home.path(), {"NOTIFY_SOCKET=" + systemd.Path(), "WATCHDOG_USEC=1000000"});
        EXPECT_TRUE(kiosk.WaitForStderr(c.line, 30s)) << kiosk.Stderr();
        if (c.reachesLoginScreen) {
            EXPECT_TRUE(systemd.WaitFor("READY=1", 30s)) << kiosk.Stderr();
        } else {
            EXPECT_TRUE(kiosk.WaitForStderr("启动失败：", 30s)) << kiosk.Stderr();
            EXPECT_TRUE(systemd.WaitFor("STATUS=", 5s));
        }
        // Alive: the user-interface thread still feeds the watchdog.
        const std::size_t pings = systemd.Times("WATCHDOG=1").size();
        std::this_thread::sleep_for(1200ms);
        EXPECT_GT(systemd.Times("WATCHDOG=1").size(), pings);
        EXPECT_TRUE(kiosk.Running());
    }
    chmod((home / "error").c_str(), 0700);
    fs::remove_all(socketFolder);
}

INSTANTIATE_TEST_SUITE_P(Cases, BadConfiguration, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<BadConfig>& info) { return std::string(info.param.name); });
