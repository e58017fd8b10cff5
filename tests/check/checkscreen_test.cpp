// The ticket check screen against the demo station server (demo day 2024-05-01), offscreen:
// the schedule list, typed and scanned checks with their refusals, the report check, line work,
// the automatic refresh, the idle close and a scanner that is unplugged.
#include <thread>

#include "checkfixture.h"
#include "faultproxy.h"
#include "pty.h"
#include "seatplan/view/seatplanchecked.h"

namespace kiosk {
namespace {

using test::CheckScreen;
using test::Count;
using test::kBusK0830;
using test::kLineBus;

TEST_F(CheckScreen, ShowsTheFirstReportedScheduleWithItsCountersAndSeatPlan)
{
    Open(kBusK0830);
    EXPECT_EQ(form->KestEdtSch->text(), "K0830");
    EXPECT_EQ(form->KestEdtStation->text(), "韶关");
    EXPECT_EQ(form->KestEdtTime->text(), "08:30");
    EXPECT_EQ(form->LabChecks->text(), "10");
    EXPECT_EQ(form->LabSeats->text(), "/" + QString::number(form->jscdQryCheckeds.RecordCount()));
    EXPECT_EQ(form->jsonClientDataSetsch.RecordCount(), 2);
    ASSERT_NE(form->SeatPlan(), nullptr);
    EXPECT_TRUE(form->SeatPlan()->isVisible());
    EXPECT_EQ(SeatState(1), "7");
    EXPECT_EQ(SeatState(11), "2");
    EXPECT_TRUE(form->tmrfalshschedule->isActive());
    EXPECT_EQ(form->tmrfalshschedule->interval(), 30000);
    EXPECT_TRUE(form->TimerAutoClose->isActive());
    // The schedule field's lookup asks what the schedule list asks.
    const THelpOptions& lookup = form->KestEdtSch->HelpOptions();
    EXPECT_EQ(lookup.HQueryAddress, "system/tavrelSchedule");
    EXPECT_EQ(lookup.HelpWidth(), THelpOptions::kWidthOfColumns);
    EXPECT_EQ(lookup.HelpHeight(), 360);
    ASSERT_EQ(form->KestEdtSch->HDBGColumns().size(), 3u);
    EXPECT_FALSE(form->KestEdtSch->HDBGColumns()[2].Visible);
    for (const char* name : {"departdate", "vehicleid", "reportorgid"})
        EXPECT_NE(form->KestEdtSch->Params().FindParam(name), nullptr) << name;
    EXPECT_EQ(form->KestEdtSch->CharCase(), ecUpperCase);
    // No scanner on this machine: logged, and the keyboard works on.
    EXPECT_FALSE(form->ComInitSucceeded());
    EXPECT_NE(Log().find("串口初始化失败："), std::string::npos);
    EXPECT_TRUE(dialogs->calls.empty());
}

TEST_F(CheckScreen, ChecksATypedNumberPaddedToTheTicketLength)
{
    Open(kBusK0830);
    Type("11011");
    EXPECT_EQ(Checks(), 11);
    EXPECT_TRUE(form->lbl2->text().startsWith("检票成功！11号座"));
    EXPECT_EQ(SeatState(11), "7");
    EXPECT_TRUE(form->KestEdtTicketNO->text().isEmpty());
    EXPECT_NE(station.Log().find("0000011011"), std::string::npos);

    // The same ticket again: the pre-check refuses it in a warning box and no check is sent.
    const int checksSent = Count(station.Log(), "checkbyTicketno");
    Type("11011");
    ASSERT_EQ(dialogs->calls.size(), 1u);
    EXPECT_EQ(dialogs->calls[0].op, "ShowWarning");
    EXPECT_NE(dialogs->calls[0].text.find("不能重复检票"), std::string::npos);
    EXPECT_EQ(Count(station.Log(), "checkbyTicketno"), checksSent);
    EXPECT_EQ(Checks(), 11);
    EXPECT_TRUE(form->KestEdtTicketNO->text().isEmpty());
}

TEST_F(CheckScreen, BlanksAndAnEmptyFieldSendNothing)
{
    Open(kBusK0830);
    const int requests = Count(station.Log(), "checkticket/");
    Type("");
    form->KestEdtTicketNO->setText(" \t ");
    form->KestEdtTicketNOChange();
    EXPECT_EQ(Count(station.Log(), "checkticket/"), requests);
    EXPECT_EQ(Checks(), 10);
}

TEST_F(CheckScreen, RefusalsShowTheServersTextAndCountNothing)
{
    // The pre-check's refusals come as warnings and no check is sent; what only the check
    // knows (the boarding station) comes back in the status line.
    struct Case {
        const char* ticket;
        const char* text;
        bool warned;
    };
    const Case cases[] = {
        {"99999", "不存在", true}, {"11034", "已退票", true}, {"16001", "", true}, {"11032", "清远上车", false},
    };
    Open(kBusK0830);
    for (const Case& c : cases) {
        dialogs->calls.clear();
        const int checksSent = Count(station.Log(), "checkbyTicketno");
        Type(c.ticket);
        if (c.warned) {
            ASSERT_EQ(dialogs->calls.size(), 1u) << c.ticket;
            EXPECT_EQ(dialogs->calls[0].op, "ShowWarning") << c.ticket;
            EXPECT_NE(dialogs->calls[0].text.find(c.text), std::string::npos) << dialogs->calls[0].text;
            EXPECT_EQ(Count(station.Log(), "checkbyTicketno"), checksSent) << c.ticket;
        } else {
            EXPECT_TRUE(dialogs->calls.empty()) << c.ticket;
            EXPECT_TRUE(form->lbl2->text().contains(c.text)) << form->lbl2->text().toStdString();
        }
        EXPECT_TRUE(form->KestEdtTicketNO->text().isEmpty()) << c.ticket;
    }
    EXPECT_EQ(Checks(), 10);
}

TEST_F(CheckScreen, APreCheckThatFailsOnTheWayStillSendsTheCheck)
{
    test::FaultProxy proxy(station.Port());
    proxy.Fail("checkticket/checkisschedule");
    SetServer(proxy.URLHost());
    Open(kBusK0830);
    Type("11012");
    EXPECT_NE(Log().find("票号校验失败："), std::string::npos);
    EXPECT_EQ(Checks(), 11);
    EXPECT_EQ(SeatState(12), "7");
}

TEST_F(CheckScreen, AFailingCheckIsLoggedAndNothingCountsAsChecked)
{
    test::FaultProxy proxy(station.Port());
    proxy.Fail("checkticket/checkbyTicketno");
    SetServer(proxy.URLHost());
    Open(kBusK0830);
    Type("11013");
    EXPECT_NE(Log().find("检票操作失败："), std::string::npos);
    EXPECT_TRUE(form->lbl2->text().startsWith("检票操作失败：")) << form->lbl2->text().toStdString();
    EXPECT_EQ(Checks(), 10);
    EXPECT_EQ(SeatState(13), "2");
}

TEST_F(CheckScreen, AFailingReportCheckKeepsThePassedCheck)
{
    test::FaultProxy proxy(station.Port());
    proxy.Fail("checkticket/qryIssamerep");
    SetServer(proxy.URLHost());
    Open(kBusK0830);
    Type("11014");
    EXPECT_TRUE(form->lbl2->text().startsWith("检票成功！14号座")) << form->lbl2->text().toStdString();
    EXPECT_EQ(Checks(), 11);
    EXPECT_NE(Log().find("检票操作失败："), std::string::npos);
    EXPECT_TRUE(form->KestEdtTicketNO->text().isEmpty());
}

TEST_F(CheckScreen, ATicketOfTheOtherReportedScheduleMovesTheScreenThere)
{
    Open(kBusK0830);
    ASSERT_EQ(form->KestEdtSch->text(), "K0830");
    Type("12003");
    EXPECT_EQ(form->KestEdtSch->text(), "J1400");
    EXPECT_EQ(form->jsonClientDataSetsch.FieldByName("id").AsInteger(), 5002);
    EXPECT_EQ(Checks(), 3);
    EXPECT_EQ(SeatState(3), "7");
}

TEST_F(CheckScreen, ReportIdsBeyond32BitsSelectAndMoveTheSchedules)
{
    constexpr std::int64_t shift = std::int64_t(1) << 32;
    const std::string by = std::to_string(shift);
    Sql("UPDATE ticket SET vehiclereportid = vehiclereportid + " + by +
        " WHERE vehiclereportid IN (SELECT id FROM vehiclereport WHERE vehicleid = 71);"
        "UPDATE departinvoice SET vehiclereportid = vehiclereportid + " + by + " WHERE vehicleid = 71;"
        "UPDATE vehiclereport SET id = id + " + by + " WHERE vehicleid = 71;");
    Open(kBusK0830);
    EXPECT_EQ(form->KestEdtSch->text(), "K0830");
    EXPECT_EQ(Checks(), 10);
    EXPECT_TRUE(form->tmrfalshschedule->isActive());
    EXPECT_TRUE(form->TimerAutoClose->isActive());
    Type("12003");
    EXPECT_EQ(form->KestEdtSch->text(), "J1400");
    EXPECT_EQ(form->jsonClientDataSetsch.FieldByName("id").AsLargeInt(), 5002 + shift);
    EXPECT_TRUE(dialogs->calls.empty());
}

TEST_F(CheckScreen, ATapOnTheDatePickerLeavesTheDigitsToTheTicketField)
{
    Open(kBusK0830);
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    const QDate day = form->DpDepartDate->date();
    // What a tap does first: the picker takes the focus.
    form->DpDepartDate->setFocus(Qt::MouseFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), form->KestEdtTicketNO);
    QTest::keyClicks(QApplication::focusWidget(), "11011");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(form->DpDepartDate->date(), day);
    EXPECT_EQ(Checks(), 11);
}

TEST_F(CheckScreen, LineWorkHidesTheSeatPlanAndCountsTheVehiclesTickets)
{
    Open(kLineBus);
    EXPECT_EQ(form->KestEdtSch->text(), "LS01");
    EXPECT_EQ(form->LabChecks->text(), "3");
    EXPECT_EQ(form->LabSeats->text(), "/3");
    EXPECT_TRUE(form->SeatPlan() == nullptr || !form->SeatPlan()->isVisible());
    Type("13004");
    EXPECT_EQ(form->LabChecks->text(), "4");
    EXPECT_EQ(form->LabSeats->text(), "/4");
}

TEST_F(CheckScreen, AVehicleWithoutReportShowsAnEmptyList)
{
    Open(9999);
    EXPECT_EQ(form->jsonClientDataSetsch.RecordCount(), 0);
    EXPECT_TRUE(form->KestEdtSch->text().isEmpty());
    EXPECT_TRUE(dialogs->calls.empty());
}

TEST_F(CheckScreen, AutomaticRefreshFollowsTheStationsParameters)
{
    struct Case {
        const char* on;
        const char* seconds;
        bool active;
        int interval;
    };
    const Case cases[] = {{"1", "30", true, 30000},   {"1", "abc", true, 60000}, {"1", "30abc", true, 60000},
                          {"1", "30.5", true, 60000}, {"1", "0", false, 0},      {"1", "-5", false, 0},
                          {"0", "30", false, 0}};
    for (const Case& c : cases) {
        SetParameter("3009", c.on);
        SetParameter("3007", c.seconds);
        Open(kBusK0830);
        EXPECT_EQ(form->tmrfalshschedule->isActive(), c.active) << c.on << "/" << c.seconds;
        if (c.active) {
            EXPECT_EQ(form->tmrfalshschedule->interval(), c.interval) << c.seconds;
        }
    }
}

TEST_F(CheckScreen, ClosesAfterAutominPlusOneIdleTicksAndInputStartsThemAnew)
{
    GetSysInfo()->LoginUserInfo()->_automin = 3;
    Open(kBusK0830);
    form->TimerAutoClose->stop();  // the test ticks by hand
    for (int i = 0; i < 2; ++i) form->TimerAutoCloseTimer();
    QTest::keyClick(form->KestEdtTicketNO, Qt::Key_5);
    EXPECT_EQ(form->StopMinute(), 0);
    for (int i = 0; i < 3; ++i) form->TimerAutoCloseTimer();
    EXPECT_TRUE(form->isVisible());
    form->TimerAutoCloseTimer();
    EXPECT_FALSE(form->isVisible());
}

TEST_F(CheckScreen, WritesTheDefaultPortWhenNoneIsConfigured)
{
    home.Write("App.ini", "[userinfo]\nautomin=60\n");
    Open(kBusK0830);
    const std::string ini = home.Read("App.ini");
    EXPECT_NE(ini.find("com=com1"), std::string::npos);
    EXPECT_NE(ini.find("baudrate=9600"), std::string::npos);
}

class ScannedCheck : public CheckScreen {
protected:
    void SetUp() override
    {
        CheckScreen::SetUp();
        home.Write("App.ini", "[server]\ncom=" + pty.SlavePath() + "\nbaudrate=9600\n");
        Open(kBusK0830);
        ASSERT_TRUE(form->ComInitSucceeded());
    }
    test::PseudoTerminal pty;
};

TEST_F(ScannedCheck, ScansAreCheckedWithoutTheirLineEndsLettersAndDashes)
{
    pty.Write("0000011014\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(Checks(), 11, 5000);
    EXPECT_EQ(SeatState(14), "7");
    pty.Write("TK-00000-11015\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(Checks(), 12, 5000);
    EXPECT_EQ(SeatState(15), "7");
    // Longer than the field's 50 characters: the digits are kept all the same.
    pty.Write(std::string(45, 'A') + "0000011016\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(Checks(), 13, 5000);
    EXPECT_EQ(SeatState(16), "7");
}

TEST_F(ScannedCheck, OneScanSplitOverTwoWritesIsOneCheckAndTwoScansAreTwo)
{
    pty.Write("00000");
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    pty.Write("11016\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    pty.Write("0000011017\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(Checks(), 12, 5000);
    QTest::qWait(300);
    EXPECT_EQ(Count(station.Log(), "checkbyTicketno"), 2);
    EXPECT_EQ(SeatState(16), "7");
    EXPECT_EQ(SeatState(17), "7");
    EXPECT_TRUE(dialogs->calls.empty());
}

TEST_F(ScannedCheck, AnUnpluggedScannerLeavesTheKeyboard)
{
    pty.Vanish();
    QTRY_VERIFY_WITH_TIMEOUT(!form->ComInitSucceeded(), 5000);
    EXPECT_NE(Log().find("串口读取错误："), std::string::npos);
    Type("11018");
    EXPECT_EQ(Checks(), 11);
    form->close();
    EXPECT_EQ(Log().find("串口关闭错误："), std::string::npos);
}

} // namespace
} // namespace kiosk
