// The unattended kiosk end to end, with no input at all: the kiosk program started by itself
// with the station server away and the ID card reader absent, the server and the reader coming
// later, a driver's ID card laid, the scanner unplugged and plugged back mid-session; and the
// systemd watchdog, fed from the user-interface thread, falling silent while a device call
// holds that thread. The kiosk runs as its own process, offscreen, against a real stationd.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "check/pty.h"
#include "e2e/kioskprocess.h"
#include "platform/datetime.h"
#include "support/stationd_fixture.h"
#include "support/tempfolder.h"

using namespace kiosk;
using namespace kiosk::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr const char* kZhang = "440101198001010011";  // drives 粤A12345
constexpr const char* kTicket = "0000011012";         // K0830 today, unchecked

std::string AppIni(int port, const fs::path& scanner, const std::string& kioskSection)
{
    return "[server]\nip=127.0.0.1\nport=" + std::to_string(port) + "\ncom=" + scanner.string() +
           "\nbaudrate=9600\n[userinfo]\nusername=kiosk01\npassword=123456\nautomin=60\n[ticketoutlet]\ncode=ZZ01\n"
           "[idcard]\nlibrary=" KIOSK_TERMB_SIMULATOR "\n" + kioskSection;
}

// stationd on a given port, its demo day today (the check screen lists the machine's day).
stationd::test::Stationd::Options StationOn(int port)
{
    return {true, {"--port", std::to_string(port), "--today", DateTime::Today().DateText()}};
}

void LayCard(const fs::path& spool, const std::string& id)
{
    const std::string cmd = std::string(KIOSK_LAY_CARD) + " --spool " + spool.string() + " --name 张建国 " + id + " > /dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
}

// Whether stationd's log has a request to `address` answered with flag=1 (its line:
// "time remote /KtBusWeb/<address>.action [params] flag=N elapsed").
bool Answered(const std::string& log, const std::string& address)
{
    std::size_t at = 0;
    while ((at = log.find("/" + address + ".action", at)) != std::string::npos) {
        const std::size_t end = log.find('\n', at);
        if (log.substr(at, end - at).find(" flag=1 ") != std::string::npos) return true;
        at = end;
    }
    return false;
}

template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    do {
        if (condition()) return true;
        std::this_thread::sleep_for(50ms);
    } while (Clock::now() < deadline);
    return false;
}

bool WaitForAnswer(const stationd::test::Stationd& station, const std::string& address, std::chrono::milliseconds timeout)
{
    return WaitFor([&] { return Answered(station.Log(), address); }, timeout);
}

// The scanner's device under a stable name, as /dev/serial/by-id gives one: a link that is
// pointed at the pseudo-terminal of the moment.
void PointScannerAt(const fs::path& link, const PseudoTerminal& pty)
{
    const fs::path next = link.string() + ".new";
    fs::remove(next);
    fs::create_symlink(pty.SlavePath(), next);
    fs::rename(next, link);
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

} // namespace

// Scaled from a kiosk PC's 10 s backing off to 60 s with the server back after 20 s: tries
// every 2 s backing off to 12 s, the server back after 4 s (between the tries at 2 s and 6 s).
TEST(UnattendedKiosk, recoversFromAServerAReaderAndAScannerThatComeLate)
{
    TempFolder home;
    const int port = FreeLoopbackPort();
    const fs::path scanner = home / "scanner";
    PseudoTerminal firstScanner;
    PointScannerAt(scanner, firstScanner);
    home.Write("App.ini", AppIni(port, scanner, "[kiosk]\nunattended=1\nretryseconds=2\nretrymaxseconds=12\nreaderretryseconds=1\n"));
    NotifySocket systemd(home / "notify");

    KioskProcess kiosk(home.path(), {"NOTIFY_SOCKET=" + systemd.Path()});
    // The server is away: the start-up page says so and when it tries again; nothing ends.
    ASSERT_TRUE(kiosk.WaitForStderr("启动失败：无法连接应用服务器", 30s)) << kiosk.Stderr();
    EXPECT_TRUE(systemd.WaitFor("STATUS=无法连接应用服务器", 5s));
    std::this_thread::sleep_for(4s);
    ASSERT_TRUE(kiosk.Running());
    EXPECT_FALSE(systemd.WaitFor("READY=1", 0ms));

    const auto serverBack = Clock::now();
    stationd::test::Stationd station(StationOn(port));
    Clock::time_point ready;
    ASSERT_TRUE(systemd.WaitFor("READY=1", 20s, &ready)) << kiosk.Stderr();
    std::printf("login screen %.1f s after the server came back\n", Seconds(ready - serverBack));
    // Within the retry period running when the server came (4 s), and the time the try takes.
    EXPECT_LT(ready - serverBack, 4s + 3s);
    EXPECT_NE(kiosk.Stderr().find("应用服务器已连接，启动完成"), std::string::npos);
    // The unit may not set the clock here; that is said once, with the reason.
    EXPECT_NE(kiosk.Stderr().find("设置系统时间失败：Operation not permitted"), std::string::npos) << kiosk.Stderr();

    // The reader is absent (no spool): a line on the login screen, no box; it comes later.
    ASSERT_TRUE(kiosk.WaitForStderr("身份证读卡器未连接", 10s)) << kiosk.Stderr();
    const fs::path spool = home / "idcard-spool";
    const auto readerBack = Clock::now();
    fs::create_directory(spool);
    ASSERT_TRUE(kiosk.WaitForStderr("身份证读卡器已连接", 10s)) << kiosk.Stderr();
    std::printf("reader taken %.1f s after it came\n", Seconds(Clock::now() - readerBack));
    LayCard(spool, kZhang);
    ASSERT_TRUE(WaitForAnswer(station, "base/qryVehiclebyIdcard", 15s)) << station.Log();
    // The check screen is open once it has listed the vehicle's schedules.
    // (The first check screen of a run takes its time to build under the sanitizers.)
    ASSERT_TRUE(WaitFor([&] { return station.Log().find("/checkticket/qryScheduleplan.action") != std::string::npos; }, 60s))
        << station.Log() << kiosk.Stderr();

    // The scanner drops off the bus and comes back under the same name.
    firstScanner.Vanish();
    ASSERT_TRUE(kiosk.WaitForStderr("串口读取错误：", 10s)) << kiosk.Stderr();
    PseudoTerminal secondScanner;
    const auto scannerBack = Clock::now();
    PointScannerAt(scanner, secondScanner);
    ASSERT_TRUE(kiosk.WaitForStderr("串口已重新打开：", 10s)) << kiosk.Stderr();
    std::printf("scanner reopened %.1f s after it came back\n", Seconds(Clock::now() - scannerBack));
    secondScanner.Write(std::string(kTicket) + "\r\n");
    ASSERT_TRUE(WaitForAnswer(station, "checkticket/checkbyTicketno", 15s)) << station.Log();
    EXPECT_TRUE(kiosk.Running());
}

// WATCHDOG=1 at half of WATCHDOG_USEC from the user-interface thread: regular while the kiosk
// idles on its login screen, none while the ID card SDK holds that thread, again after.
TEST(UnattendedKiosk, watchdogPingsStopWhileTheUserInterfaceThreadIsHeld)
{
    TempFolder home;
    stationd::test::Stationd station(StationOn(FreeLoopbackPort()));
    const fs::path spool = home / "idcard-spool";
    fs::create_directory(spool);
    home.Write("App.ini", AppIni(station.Port(), home / "no-scanner", "[kiosk]\nunattended=1\n"));
    NotifySocket systemd(home / "notify");
    KioskProcess kiosk(home.path(), {"NOTIFY_SOCKET=" + systemd.Path(), "WATCHDOG_USEC=1000000"});

    Clock::time_point ready;
    ASSERT_TRUE(systemd.WaitFor("READY=1", 30s, &ready)) << kiosk.Stderr();
    std::this_thread::sleep_for(3s);
    const auto calm = systemd.Times("WATCHDOG=1");
    std::size_t afterReady = 0;
    for (std::size_t i = 1; i < calm.size(); ++i) {
        if (calm[i] < ready) continue;
        ++afterReady;
        EXPECT_LT(calm[i] - calm[i - 1], 900ms) << "ping " << i;
    }
    EXPECT_GE(afterReady, 4u);

    // The reader's next poll does not come back: the thread is held.
    home.Write("idcard-spool/hang", "");
    std::this_thread::sleep_for(1s);  // the poll that hangs starts within 500 ms
    const std::size_t beforeHold = systemd.Times("WATCHDOG=1").size();
    std::this_thread::sleep_for(3s);
    EXPECT_EQ(systemd.Times("WATCHDOG=1").size(), beforeHold) << "pings while the thread was held";

    fs::remove(spool / "hang");
    const auto released = Clock::now();
    ASSERT_TRUE(WaitFor([&] { return systemd.Times("WATCHDOG=1").size() > beforeHold; }, 3s));
    std::printf("pings again %.2f s after the thread was let go\n", Seconds(Clock::now() - released));
}
