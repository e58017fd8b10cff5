// A long day at one line bus: KIOSK_SOAK_CHECKS (default 300) line-work tickets checked through
// the check screen against one stationd, one check in every 100 failing on the way (an error page
// or a page that is not JSON) and checked again after it. Every check must pass, the counters
// follow, the resident set must not grow without bound and the log stays one well-formed line
// per entry. The figures go to the test's output.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <iostream>

#include "e2e/checkdesk.h"
#include "e2e/faultstation.h"
#include "support/stationd_fixture.h"

namespace kiosk::test {
namespace {

constexpr int kFaultEvery = 100;

int SoakChecks()
{
    const char* text = std::getenv("KIOSK_SOAK_CHECKS");
    const int checks = text ? std::atoi(text) : 300;
    return checks > 0 ? checks : 300;
}

TEST(CheckSoak, ChecksAllDayWithoutLeaksCrashesOrBrokenLogLines)
{
    const int checks = SoakChecks();
    const int extra = checks > kDemoLineTickets ? checks - kDemoLineTickets : 0;
    stationd::test::Stationd station({true, {"--line-tickets", std::to_string(extra)}});
    FaultStation front(station.Port());
    CheckDesk desk;
    desk.SetServer(front.URLHost());
    desk.Open(kLineBus);
    const int checkedBefore = desk.Form().LabChecks->text().toInt();

    const int warmUp = std::min(100, checks / 2);
    std::size_t rssWarm = 0;
    int faults = 0, notPassed = 0;
    for (int n = 0; n < checks; ++n) {
        const QString ticketno = LineTicket(n);
        if (n % kFaultEvery == kFaultEvery / 2) {
            const QString counted = desk.Form().LabChecks->text();
            front.Set(faults++ % 2 ? TFault::NotJson : TFault::Http500, "checkticket/checkbyTicketno");
            desk.Check(ticketno);
            front.Clear();
            ASSERT_EQ(desk.Form().LabChecks->text(), counted) << ticketno.toStdString();
        }
        desk.Check(ticketno);
        QApplication::processEvents();
        if (!desk.Form().lbl2->text().startsWith("检票成功")) {
            ++notPassed;
            ADD_FAILURE() << ticketno.toStdString() << ": " << desk.Form().lbl2->text().toStdString();
        }
        if (n + 1 == warmUp) rssWarm = ResidentBytes();
        if (notPassed > 5) break;
    }
    const std::size_t rssEnd = ResidentBytes();

    EXPECT_EQ(desk.Form().LabChecks->text().toInt(), checkedBefore + checks);
    EXPECT_TRUE(desk.Form().isVisible());
    EXPECT_TRUE(desk.Dialogs().calls.empty());
    const std::string log = desk.Log();
    EXPECT_EQ(MalformedLogLines(log), std::vector<std::string>{});
    std::size_t failures = 0;
    for (auto at = log.find("检票操作失败："); at != std::string::npos; at = log.find("检票操作失败：", at + 1)) ++failures;
    EXPECT_EQ(failures, static_cast<std::size_t>(faults));

    const double mb = 1024.0 * 1024.0;
    std::cout << "soak: " << checks << " checks, " << faults << " faults; RSS after " << warmUp << " checks "
              << rssWarm / mb << " MB, at the end " << rssEnd / mb << " MB, growth " << (double(rssEnd) - double(rssWarm)) / mb
              << " MB\n";
    testing::Test::RecordProperty("checks", checks);
    testing::Test::RecordProperty("rss_growth_kb", static_cast<int>((double(rssEnd) - double(rssWarm)) / 1024));
}

} // namespace
} // namespace kiosk::test
