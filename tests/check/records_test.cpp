// The check screen's records and password tabs against the demo station server (demo day
// 2024-05-01), offscreen: the slips of 粤A34567 with their colours, reprint selection and ticket
// list, the sold tickets per reported schedule, stepping the day, the password change and which
// tabs the kiosk offers.
#include <QApplication>
#include <QTimer>

#include "check/frmtickets.h"
#include "checkfixture.h"
#include "faultproxy.h"
#include "print/qt/qtprintplatform.h"

namespace kiosk {
namespace {

constexpr std::int64_t kBusK0700 = 73; // 粤A34567: K0700 departed with slip 00030001

class RecordTabs : public test::CheckScreen {
protected:
    void SetUp() override
    {
        CheckScreen::SetUp();
        home.Write("App.ini", "[server]\ncom=/dev/no-scanner-here\n[ui]\nrecords=1\npassword=1\n");
    }

    TFrmCheck& Open(std::int64_t vehicle = kBusK0700) { return CheckScreen::Open(vehicle); }

    std::string StoredPassword() const
    {
        sqlite3* db = nullptr;
        std::string value;
        if (sqlite3_open(station.Database().c_str(), &db) != SQLITE_OK) return value;
        sqlite3_exec(
            db, ("SELECT password FROM vehicle WHERE id = " + std::to_string(kBusK0700)).c_str(),
            [](void* out, int, char** row, char**) {
                *static_cast<std::string*>(out) = row[0] ? row[0] : "";
                return 0;
            },
            &value, nullptr);
        sqlite3_close(db);
        return value;
    }

    QColor SlipColour(int row) const
    {
        TKtCellParams params;
        params.Row = row;
        form->KtDbgridEh5->OnGetCellParams(*form->KtDbgridEh5, params);
        return params.Background;
    }

    void SavePassword(const QString& password, const QString& confirmation)
    {
        form->KestEdtPassword->setText(password);
        form->KestEdtPassword2->setText(confirmation);
        form->BtnSavePas->click();
    }
};

TEST_F(RecordTabs, TheTabsAreOfferedOnlyWhenTheKioskIsSetUpForThem)
{
    struct Case {
        const char* ui;
        bool records, password;
    };
    for (const Case& c : {Case{"", false, false}, Case{"[ui]\nrecords=1\n", true, false},
                          Case{"[ui]\npassword=1\n", false, true}}) {
        home.Write("App.ini", std::string("[server]\ncom=/dev/no-scanner-here\n") + c.ui);
        Open();
        QTabWidget& tabs = *form->PageControl1;
        EXPECT_TRUE(tabs.isTabVisible(tabs.indexOf(form->TabSheet1))) << c.ui;
        EXPECT_EQ(tabs.isTabVisible(tabs.indexOf(form->TabSheet2)), c.records) << c.ui;
        EXPECT_EQ(tabs.isTabVisible(tabs.indexOf(form->TabSheet3)), c.records) << c.ui;
        EXPECT_EQ(tabs.isTabVisible(tabs.indexOf(form->TabSheet5)), c.password) << c.ui;
        EXPECT_EQ(form->DpDepartByInV->date(), QDate(2024, 5, 1));
        EXPECT_EQ(form->dtpDpDepartByInVend->date(), QDate(2024, 5, 1));
        EXPECT_EQ(form->DpTicketDepart->date(), QDate(2024, 5, 1));
        form.reset();
    }
}

TEST_F(RecordTabs, TheSlipListShowsTheVehiclesSlipsWithFootersAndYellowWhereTicketsWereLeftOut)
{
    Open();
    form->BitBtn2->click();
    TjsonClientDataSet& slips = form->jscdqryDepartinvoicesByorg;
    ASSERT_EQ(slips.RecordCount(), 1);
    EXPECT_EQ(slips.FieldByName("departinvoicesno").AsString(), "00030001");
    EXPECT_EQ(slips.ParamByName("vehicleid").AsString(), "73");
    EXPECT_EQ(slips.ParamByName("printorgid").AsString(), "11");
    EXPECT_EQ(slips.ParamByName("departdate").AsString(), "2024-05-01");
    EXPECT_EQ(slips.ParamByName("departdateend").AsString(), "2024-05-01");
    const TKtDbgridEh& grid = *form->KtDbgridEh5;
    EXPECT_EQ(grid.FooterText(0), "合计");
    EXPECT_FALSE(grid.isColumnHidden(1));
    EXPECT_TRUE(grid.isColumnHidden(2));
    EXPECT_EQ(grid.FooterText(2), "1");
    EXPECT_EQ(grid.FooterText(8), QString::fromStdString(slips.FieldByName("tickets").AsString()));
    EXPECT_EQ(slips.FieldByName("tickets").AsInteger(), slips.FieldByName("ticketnum").AsInteger());
    EXPECT_FALSE(SlipColour(0).isValid());

    // The same slip when it holds fewer tickets than were checked.
    Sql("UPDATE departinvoice SET ticketnum = ticketnum - 2 WHERE departinvoicesno = '00030001'");
    form->BitBtn2->click();
    ASSERT_EQ(slips.RecordCount(), 1);
    EXPECT_EQ(SlipColour(0), QColor(Qt::yellow));
    EXPECT_TRUE(dialogs->calls.empty());
}

TEST_F(RecordTabs, AReprintPrintsTheScheduleOfTheSelectedSlip)
{
    TQtPrintPlatform printers(home.str(), TQtPrintPlatform::Mode::Pdf);
    Open();
    form->SetPrintPlatform(&printers);
    form->BitBtn2->click();
    ASSERT_EQ(form->jscdqryDepartinvoicesByorg.RecordCount(), 1);
    form->repickprint->click();
    const auto* values = form->PrintedValues();
    ASSERT_NE(values, nullptr);
    EXPECT_EQ(values->at("invoicesno"), "00030001");
    EXPECT_EQ(values->at("schedulecode"), "K0700");
    EXPECT_EQ(values->at("departdate"), "2024-05-01");
    EXPECT_EQ(values->at("departtime"), "07:00");
    EXPECT_EQ(values->at("endstation"), "肇庆");
    EXPECT_EQ(values->at("departstation"), "广州");
    EXPECT_EQ(values->at("route"), form->jscdqryDepartinvoicesByorg.FieldByName("routename").AsString());
    EXPECT_FALSE(values->at("route").empty());
}

TEST_F(RecordTabs, TheDayButtonsStepTheDateValueAcrossTheMonthEnd)
{
    Open();
    struct Case {
        QPushButton* button;
        QDateEdit* picker;
        TjsonClientDataSet* query;
        QDate from, sent;
    };
    const Case cases[] = {
        {form->BitBtn3, form->DpDepartByInV, &form->jscdqryDepartinvoicesByorg, {2024, 3, 1}, {2024, 2, 29}},
        {form->BitBtn4, form->DpDepartByInV, &form->jscdqryDepartinvoicesByorg, {2024, 2, 28}, {2024, 2, 29}},
        {form->BtnPreDay, form->DpTicketDepart, &form->jscdQryReportSchs, {2024, 3, 1}, {2024, 2, 29}},
        {form->BtnNextDay, form->DpTicketDepart, &form->jscdQryReportSchs, {2023, 12, 31}, {2024, 1, 1}},
    };
    for (const Case& c : cases) {
        c.picker->setDate(c.from);
        c.button->click();
        const std::string sent = c.sent.toString("yyyy-MM-dd").toStdString();
        EXPECT_EQ(c.picker->date(), c.sent) << c.button->objectName().toStdString();
        EXPECT_EQ(c.query->ParamByName("departdate").AsString(), sent);
        EXPECT_NE(station.Log().find(sent), std::string::npos) << sent;
    }
}

TEST_F(RecordTabs, TheSlipsTicketsOpenInTheirOwnWindow)
{
    Open();
    form->BitBtn2->click();
    ASSERT_EQ(form->jscdqryDepartinvoicesByorg.RecordCount(), 1);
    int listed = -1;
    std::string caption, sentNumber, sentReport;
    QTimer::singleShot(0, form.get(), [&] {
        auto* tickets = qobject_cast<TFrmTickets*>(QApplication::activeModalWidget());
        if (!tickets) return;
        caption = tickets->windowTitle().toStdString();
        listed = tickets->jscdqryTicketsellsByVehicle.RecordCount();
        sentNumber = tickets->jscdqryTicketsellsByVehicle.ParamByName("departinvoicesno").AsString();
        sentReport = tickets->jscdqryTicketsellsByVehicle.ParamByName("vehiclereportid").AsString();
        tickets->BtnClose->click();
    });
    form->BitBtn6->click();
    EXPECT_EQ(caption, "结算单售票明细信息");
    EXPECT_EQ(listed, 20);
    EXPECT_EQ(sentNumber, "00030001");
    EXPECT_EQ(sentReport, "5004");
}

TEST_F(RecordTabs, ASlipTicketListThatCannotBeAskedForIsLogged)
{
    TFrmTickets tickets(nullptr);
    tickets.departdate = "not a day";
    tickets.show();
    EXPECT_FALSE(tickets.jscdqryTicketsellsByVehicle.Active());
    EXPECT_NE(Log().find("查询结算单售票明细操作失败："), std::string::npos);
}

TEST_F(RecordTabs, TheSoldTicketsOfTheReportedScheduleAreColouredByState)
{
    Open();
    form->BitQryTickets->click();
    ASSERT_EQ(form->jscdQryReportSchs.RecordCount(), 1);
    TjsonClientDataSet& sold = form->jscdqryTicketsellsByVehicle;
    ASSERT_TRUE(sold.Active());
    EXPECT_EQ(sold.ParamByName("vehiclereportid").AsString(), "5004");
    EXPECT_EQ(sold.ParamByName("scheduleplanid").AsString(), "7004");
    ASSERT_EQ(sold.RecordCount(), 23);
    TKtDbgridEh& grid = *form->KtDbgridEh4;
    EXPECT_TRUE(grid.isColumnHidden(2));
    EXPECT_EQ(grid.FooterText(2), "23");
    auto colour = [&](int row, bool selected) {
        TKtCellParams params;
        params.Row = row;
        params.Selected = selected;
        grid.OnGetCellParams(grid, params);
        return params.Background;
    };
    EXPECT_EQ(dataconv::AsString(grid.RowValue(0, "dticketstatus"), ftString), "已打单");
    EXPECT_EQ(colour(0, false), QColor(128, 128, 0));
    EXPECT_EQ(colour(0, true), QColor(128, 128, 0));
    EXPECT_EQ(dataconv::AsString(grid.RowValue(22, "dticketstatus"), ftString), "未检");
    EXPECT_EQ(colour(22, false), QColor(255, 0, 255));
    EXPECT_FALSE(colour(22, true).isValid());

    // A day without reports empties the ticket list.
    form->BtnNextDay->click();
    EXPECT_TRUE(form->jscdQryReportSchs.IsEmpty());
    EXPECT_FALSE(sold.Active());
}

TEST_F(RecordTabs, FailingQueriesAreLoggedAndLeaveTheScreenUsable)
{
    test::FaultProxy proxy(station.Port());
    Open();
    SetServer(proxy.URLHost());
    proxy.Fail("checkticket/qryDepartinvoicesByorg");
    proxy.Fail("checkticket/QryReportSchs");
    form->BitBtn2->click();
    form->BitQryTickets->click();
    EXPECT_NE(Log().find("查询结算单明细操作失败："), std::string::npos);
    EXPECT_NE(Log().find("查询报班班次操作失败："), std::string::npos);
    EXPECT_TRUE(dialogs->calls.empty());
    EXPECT_TRUE(form->isVisible());
}

TEST_F(RecordTabs, ThePasswordIsRefusedUntilBothFieldsAgree)
{
    Open();
    form->PageControl1->setCurrentWidget(form->TabSheet5);
    EXPECT_EQ(form->focusWidget(), form->KestEdtPassword);
    struct Case {
        QString password, confirmation, warning;
        bool secondFocused, cleared;
    };
    const Case cases[] = {
        {"  ", "abc", "请输入密码", false, false},
        {"abc", " ", "请输入确认密码", true, false},
        {"abc", "abd", "您2次输入的密码不一样，请重新输入！", false, true},
    };
    for (const Case& c : cases) {
        dialogs->calls.clear();
        SavePassword(c.password, c.confirmation);
        ASSERT_EQ(dialogs->calls.size(), 1u);
        EXPECT_EQ(dialogs->calls[0].op, "ShowWarning");
        EXPECT_EQ(dialogs->calls[0].text, c.warning.toStdString());
        EXPECT_EQ(form->focusWidget(), c.secondFocused ? form->KestEdtPassword2 : form->KestEdtPassword);
        EXPECT_EQ(form->KestEdtPassword->text().isEmpty(), c.cleared);
        EXPECT_EQ(form->KestEdtPassword2->text().isEmpty(), c.cleared);
        EXPECT_TRUE(form->LabSaveInfo->text().isEmpty());
    }
    EXPECT_EQ(station.Log().find("updateVehicle"), std::string::npos);
}

TEST_F(RecordTabs, ABlankFramedPasswordIsSavedTrimmedAndTheResultClearsAfterTenSeconds)
{
    Open();
    SavePassword("  abc123 ", "abc123");
    EXPECT_TRUE(dialogs->calls.empty());
    EXPECT_EQ(form->jsonCDSVehSave.ParamByName("vehicle.id").AsString(), "73");
    EXPECT_EQ(form->jsonCDSVehSave.ParamByName("vehicle.gprs").AsString(), "abc123");
    EXPECT_EQ(StoredPassword(), "ABC123");
    EXPECT_EQ(form->LabSaveInfo->text(), "保存成功！");
    ASSERT_TRUE(form->TimeLabSaveInfo->isActive());
    EXPECT_EQ(form->TimeLabSaveInfo->interval(), 10000);
    form->TimeLabSaveInfoTimer();
    EXPECT_TRUE(form->LabSaveInfo->text().isEmpty());
    EXPECT_FALSE(form->TimeLabSaveInfo->isActive());
}

TEST_F(RecordTabs, AFailedSaveStaysOnScreen)
{
    test::FaultProxy proxy(station.Port());
    Open();
    SavePassword("abc123", "abc123");
    ASSERT_EQ(form->LabSaveInfo->text(), "保存成功！");

    // Refused by the server (no such vehicle), then lost on the way: neither is a success.
    form->vehicleid = 999;
    SavePassword("abc123", "abc123");
    EXPECT_EQ(form->LabSaveInfo->text(), "保存失败！");
    EXPECT_FALSE(form->TimeLabSaveInfo->isActive());

    form->vehicleid = kBusK0700;
    SetServer(proxy.URLHost());
    proxy.Fail("base/updateVehicle");
    form->LabSaveInfo->clear();
    SavePassword("xyz", "xyz");
    EXPECT_EQ(form->LabSaveInfo->text(), "保存失败！");
    EXPECT_NE(Log().find("修改密码操作失败："), std::string::npos);
    EXPECT_EQ(StoredPassword(), "ABC123");
    EXPECT_TRUE(dialogs->calls.empty());
}

} // namespace
} // namespace kiosk
