// A long day at the check screen: KIOSK_SOAK_CHECKS (default 400) line-work checks through the
// screen, in rounds of KIOSK_SOAK_ROUND (default 100) checks on a fresh stationd, each round on a
// new screen the way one login per bus opens one (the screen fetches the report's whole list of
// checked tickets after every check, so one endless round would measure that list, not the
// screen). One check in every 100 fails on the way (an error page or a page that is not JSON) and
// is checked again after it. Every check must pass and count, the log stays one well-formed line
// per entry, and the resident set, taken at the end of every round, must not keep growing after
// the first two rounds. The figures go to the test's output.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <iostream>

#include "e2e/checkdesk.h"
#include "e2e/faultstation.h"
#include "support/staffsession.h"
#include "support/stationd_fixture.h"

namespace kiosk::test {
namespace {

constexpr int kFaultEvery = 100;
constexpr double kMB = 1024.0 * 1024.0;
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

int Setting(const char* name, int fallback)
{
    const char* text = std::getenv(name);
    const int value = text ? std::atoi(text) : fallback;
    return value > 0 ? value : fallback;
}

struct Soak {
    int checks = 0;
    int faults = 0;
    std::vector<std::size_t> rssAfterRound;
};

// One round: a fresh stationd behind the front server, a new screen for 粤A23456, `count` checks.
void RunRound(CheckDesk& desk, FaultStation& front, int count, Soak& soak)
{
    desk.Close();
    stationd::test::Stationd station(
        {true, {"--line-tickets", std::to_string(count > kDemoLineTickets ? count - kDemoLineTickets : 0)}});
    front.SetStationPort(station.Port());
    StaffLogin(desk.Module().jcon);  // a new station server: the kiosk logs in there as at start-up
    desk.Open(kLineBus);
    const int before = desk.Form().LabChecks->text().toInt();
    for (int n = 0; n < count; ++n, ++soak.checks) {
        const QString ticketno = LineTicket(n);
        if (soak.checks % kFaultEvery == kFaultEvery / 2) {
            const QString counted = desk.Form().LabChecks->text();
            front.Set(soak.faults++ % 2 ? TFault::NotJson : TFault::Http500, "checkticket/checkbyTicketno");
            desk.Check(ticketno);
            front.Clear();
            ASSERT_EQ(desk.Form().LabChecks->text(), counted) << ticketno.toStdString();
        }
        desk.Check(ticketno);
        QApplication::processEvents();
        ASSERT_TRUE(desk.Form().lbl2->text().startsWith("检票成功")) << ticketno.toStdString() << ": "
                                                                     << desk.Form().lbl2->text().toStdString();
    }
    EXPECT_EQ(desk.Form().LabChecks->text().toInt(), before + count);
    desk.Close();
    soak.rssAfterRound.push_back(ResidentBytes());
}

TEST(CheckSoak, ChecksAllDayWithoutLeaksCrashesOrBrokenLogLines)
{
    const int checks = Setting("KIOSK_SOAK_CHECKS", 400);
    const int round = Setting("KIOSK_SOAK_ROUND", 100);
    stationd::test::Stationd placeholder;
    FaultStation front(placeholder.Port());
    CheckDesk desk;
    desk.SetServer(front.URLHost());
    Soak soak;
    while (soak.checks < checks && !testing::Test::HasFatalFailure())
        RunRound(desk, front, std::min(round, checks - soak.checks), soak);
    ASSERT_FALSE(testing::Test::HasFatalFailure());

    EXPECT_TRUE(desk.Dialogs().calls.empty());
    const std::string log = desk.Log();
    EXPECT_EQ(MalformedLogLines(log), std::vector<std::string>{});
    int failures = 0;
    for (auto at = log.find("检票操作失败："); at != std::string::npos; at = log.find("检票操作失败：", at + 1)) ++failures;
    EXPECT_EQ(failures, soak.faults);

    std::cout << "soak: " << soak.checks << " checks in " << soak.rssAfterRound.size() << " rounds, " << soak.faults
              << " failing on the way; RSS after each round (MB):";
    for (std::size_t rss : soak.rssAfterRound) std::cout << ' ' << rss / kMB;
    std::cout << '\n';
    // The first two rounds warm up (fonts, caches, the allocator's pools); after them the resident
    // set stays within a few hundred kB in a plain build. The sanitizers keep freed memory in
    // quarantine, so there the figures are only reported.
    if (soak.rssAfterRound.size() >= 4) {
        const double growth = (double(soak.rssAfterRound.back()) - double(soak.rssAfterRound[1])) / kMB;
        std::cout << "soak: RSS growth after the first two rounds " << growth << " MB\n";
        testing::Test::RecordProperty("rss_growth_kb", static_cast<int>(growth * 1024));
        if (!kSanitized) {
            EXPECT_LT(growth, 2.0);
        }
    }
}

} // namespace
} // namespace kiosk::test
