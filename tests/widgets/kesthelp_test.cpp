// TKestHelp against the demo station server: the vehicle lookup of the driver login, driven
// offscreen with QTest keys and mouse clicks.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include "core/sysfactory.h"
#include "core/sysservice.h"
#include "data/controls/tkesthelp.h"
#include "support/qtapp.h"
#include "demostation.h"
#include "support/staffsession.h"
#include "support/recordingdialog.h"

using namespace kiosk;

namespace {

class VehicleLookup : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        test::EnsureApplication();
        station = new test::DemoStation;
    }
    static void TearDownTestSuite()
    {
        delete station;
    }

    void SetUp() override
    {
        FreeSysService();
        FreeFactoryManager();
        InitSysService();
        dialogs = test::RegisterRecordingDialog();
        jcon.SetURLHost(station->URLHost());
        ASSERT_NO_THROW(test::StaffLogin(jcon));

        // KestVehicle as the driver login sets it up.
        form.resize(800, 600);
        help.setGeometry(20, 20, 200, 30);
        other.setGeometry(20, 300, 200, 30);
        THelpOptions& o = help.HelpOptions();
        o.HQueryAddress = "system/helpNoAuth";
        o.HDataSourceName = "helpmap";
        o.HelpType = "VehiclenoHelp";
        o.HJSONConnection = &jcon;
        o.EdtField = "name";
        o.SetHelpWidth(400);
        o.SetHelpHeight(400);
        o.HSkinData = [this](QWidget& skinned) { skinnedForm = &skinned; };
        help.Params().CreateParam(ftString, "helpType", ptInput).SetAsString("VehiclenoHelp");
        help.SetHDBGColumns({{"name", "车牌号码", 200}, {"seatnum", "座位数", 140}});
        help.SetnotFocusedShowHelp(true);
        other.setFocus(); // the lookup is entered by the test, not by the window's activation
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    void TearDown() override
    {
        FreeSysService();
        FreeFactoryManager();
    }

    void Focus(QWidget& w)
    {
        w.setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
    }

    void Type(const char* text)
    {
        Focus(help);
        QTest::keyClicks(&help, text);
    }

    std::string ShownPlate(int row) const { return help.HelpGrid()->RowValue(row, "name").ToText(); }

    static test::DemoStation* station;
    std::shared_ptr<test::TRecordingDialog::Script> dialogs;
    TjsonConnection jcon;
    QWidget form;
    TKestHelp help{&form};
    TKestEdit other{&form};
    QWidget* skinnedForm = nullptr;
};

test::DemoStation* VehicleLookup::station = nullptr;

} // namespace

TEST_F(VehicleLookup, setsItselfUpOnTheFirstEntry)
{
    EXPECT_FALSE(help.CompInit());
    EXPECT_EQ(help.DropDown()->parentWidget(), &help);
    Focus(help);
    EXPECT_TRUE(help.CompInit());
    EXPECT_EQ(help.DropDown()->parentWidget(), &form);
    EXPECT_EQ(help.HelpDataSet().QueryAddress(), "system/helpNoAuth");
    EXPECT_EQ(help.HelpDataSet().DataSourceName(), "helpmap");
    EXPECT_NE(help.Params().FindParam("param"), nullptr);
    EXPECT_EQ(help.Params().Count(), 2); // the form's "helpType" is used, not doubled
    EXPECT_FALSE(help.DropDownShown());
}

TEST_F(VehicleLookup, typingAPlateFragmentSearchesWithHelpTypeAndParam)
{
    Type("a23");
    ASSERT_TRUE(help.DropDownShown());
    ASSERT_TRUE(help.isactive());
    EXPECT_EQ(help.Params().ParamByName("helpType").AsString(), "VehiclenoHelp");
    EXPECT_EQ(help.Params().ParamByName("param").AsString(), "a23");
    ASSERT_EQ(help.HelpDataSet().RecordCount(), 1);
    EXPECT_EQ(ShownPlate(0), "粤A23456");
    EXPECT_TRUE(help.IsChange());
    EXPECT_EQ(help.Id(), 0);
    EXPECT_EQ(skinnedForm, &form);
    EXPECT_TRUE(dialogs->calls.empty());
}

TEST_F(VehicleLookup, upAndDownStayWithinTheRows)
{
    Type("a");
    ASSERT_EQ(help.HelpDataSet().RecordCount(), 3);
    for (int i = 0; i < 5; ++i) QTest::keyClick(&help, Qt::Key_Down);
    EXPECT_EQ(help.HelpDataSet().RecNo(), 3);
    EXPECT_EQ(help.HelpGrid()->currentIndex().row(), 2);
    EXPECT_EQ(help.Text(), "a"); // the keys move in the list, not in the text
    for (int i = 0; i < 5; ++i) QTest::keyClick(&help, Qt::Key_Up);
    EXPECT_EQ(help.HelpDataSet().RecNo(), 1);
}

TEST_F(VehicleLookup, enterPicksTheCurrentRow)
{
    QSignalSpy idChanges(&help, &TKestEdit::OnIdChange);
    Type("a");
    QTest::keyClick(&help, Qt::Key_Down);
    QTest::keyClick(&help, Qt::Key_Down);
    QTest::keyClick(&help, Qt::Key_Return);
    EXPECT_EQ(help.Text(), "粤A34567");
    EXPECT_EQ(help.Id(), 73);
    EXPECT_EQ(idChanges.count(), 1);
    EXPECT_FALSE(help.DropDownShown());
    EXPECT_FALSE(help.isactive());
    EXPECT_FALSE(help.IsChange());
    EXPECT_EQ(help.selectedText(), help.text());
    EXPECT_EQ(help.HelpFieldValue("SEATNUM"), "35");
    EXPECT_EQ(help.HelpFieldValue("vehicletype"), "中型高二级");
    try {
        help.HelpFieldValue("owner");
        FAIL() << "no NoFieldFindException";
    } catch (const NoFieldFindException& e) {
        EXPECT_STREQ(e.what(), "TKestHelp:没有\"owner\"这个字段");
    }
}

TEST_F(VehicleLookup, leavingWithoutAPickClearsIdCodeAndValue)
{
    Type("a12");
    QTest::keyClick(&help, Qt::Key_Return);
    ASSERT_EQ(help.Id(), 71);
    help.SetCode("A1");
    help.Setvalue("71");
    QSignalSpy idChanges(&help, &TKestEdit::OnIdChange);

    QTest::keyClick(&help, Qt::Key_End);
    QTest::keyClick(&help, Qt::Key_9);
    EXPECT_TRUE(help.IsChange());
    EXPECT_EQ(help.HelpFieldValue("id"), ""); // nothing picked for the typed text
    Focus(other);
    EXPECT_EQ(help.Id(), 0);
    EXPECT_EQ(help.Code(), "");
    EXPECT_EQ(help.value(), "");
    EXPECT_EQ(idChanges.count(), 1);
    EXPECT_FALSE(help.DropDownShown());
    EXPECT_FALSE(help.isactive());
}

TEST_F(VehicleLookup, escapeDropsTheTypedTextsPick)
{
    Type("a34");
    QTest::keyClick(&help, Qt::Key_Escape);
    EXPECT_FALSE(help.DropDownShown());
    EXPECT_EQ(help.Id(), 0);
    EXPECT_TRUE(help.hasFocus());
}

TEST_F(VehicleLookup, emptiedTextHidesTheListAndZeroesId)
{
    Type("a12");
    QTest::keyClick(&help, Qt::Key_Return);
    ASSERT_EQ(help.Id(), 71);
    help.selectAll();
    QTest::keyClick(&help, Qt::Key_Backspace);
    EXPECT_FALSE(help.DropDownShown());
    EXPECT_EQ(help.Id(), 0);
}

TEST_F(VehicleLookup, doubleClickInTheListPicksAndReturnsTheFocus)
{
    Type("a");
    TKtDbgridEh& grid = *help.HelpGrid();
    const QRect row = grid.visualRect(grid.Model()->index(1, 0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_TRUE(grid.hasFocus());
    EXPECT_TRUE(help.DropDownShown()); // the focus in the list keeps the lookup open
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(help.Text(), "粤A23456");
    EXPECT_EQ(help.Id(), 72);
    EXPECT_FALSE(help.DropDownShown());
    EXPECT_TRUE(help.hasFocus());
}

TEST_F(VehicleLookup, enterInTheListPicksAndReturnsTheFocus)
{
    Type("a");
    TKtDbgridEh& grid = *help.HelpGrid();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.Model()->index(2, 0)).center());
    QTest::keyClick(&grid, Qt::Key_Return);
    EXPECT_EQ(help.Text(), "粤A34567");
    EXPECT_EQ(help.Id(), 73);
    EXPECT_TRUE(help.hasFocus());
}

TEST_F(VehicleLookup, leavingTheListForAnotherControlLeavesTheLookup)
{
    Type("a");
    TKtDbgridEh& grid = *help.HelpGrid();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.Model()->index(0, 0)).center());
    Focus(other);
    EXPECT_FALSE(help.DropDownShown());
    EXPECT_EQ(help.Id(), 0);
}

TEST_F(VehicleLookup, shiftShowsTheListAndSpaceOnAnEmptyTextListsEverything)
{
    Focus(help);
    QTest::keyClick(&help, Qt::Key_Shift);
    EXPECT_TRUE(help.DropDownShown());
    QTest::keyClick(&help, Qt::Key_Space);
    EXPECT_EQ(help.Text(), ""); // the blank itself is dropped
    ASSERT_TRUE(help.isactive());
    EXPECT_EQ(help.HelpDataSet().RecordCount(), 3);
    EXPECT_EQ(help.Params().ParamByName("param").AsString(), "");
}

TEST_F(VehicleLookup, aTextBeginningWithTheIgnoreFlagIsNotSearched)
{
    help.SetignoreSearchFlag("#");
    Type("#a");
    EXPECT_FALSE(help.DropDownShown());
    EXPECT_FALSE(help.isactive());
}

TEST_F(VehicleLookup, aTextSetByTheFormWithoutFocusStaysUnsearched)
{
    help.SetnotFocusedShowHelp(false);
    Focus(help);
    Focus(other);
    help.SetText("粤A1");
    EXPECT_FALSE(help.DropDownShown());
    EXPECT_FALSE(help.isactive());
}

TEST_F(VehicleLookup, aFailedSearchShowsTheMessageBoxAndAnEmptyList)
{
    TjsonConnection dead;
    dead.SetURLHost("http://127.0.0.1:1/KtBusWeb/");
    help.HelpOptions().HJSONConnection = &dead;
    Type("a");
    EXPECT_TRUE(help.DropDownShown());
    EXPECT_FALSE(help.isactive());
    ASSERT_FALSE(dialogs->calls.empty());
    EXPECT_EQ(dialogs->calls[0].op, "ShowMessage");
    EXPECT_EQ(dialogs->calls[0].text.rfind("a:无法连接服务器", 0), 0u) << dialogs->calls[0].text;
    EXPECT_EQ(help.Text(), "a"); // the kiosk goes on
}

TEST_F(VehicleLookup, widthOfColumnsAndPlacingInsideTheForm)
{
    help.HelpOptions().SetHelpWidth(THelpOptions::kWidthOfColumns);
    help.HelpOptions().SetHelpHeight(360);
    help.SetHDBGColumns({{"name", "班次号", 100}, {"departdate", "报班时间", 80}, {"id", "id", 50, false}});
    Focus(help);
    QTest::keyClick(&help, Qt::Key_Shift);
    EXPECT_EQ(help.DropDown()->geometry(), QRect(20, 50, 220, 360));

    // Near the right and bottom edges: kept inside, and above the edit when there is no room.
    const int right = form.width() - 220;
    help.move(form.width() - 100, form.height() - 100);
    help.HelpOptions().SetHelpHeight(300);
    EXPECT_EQ(help.DropDown()->geometry(), QRect(right, form.height() - 100 - 300, 220, 300));

    // No room above either: it stays below.
    help.move(form.width() - 100, 200);
    help.HelpOptions().SetHelpHeight(form.height());
    EXPECT_EQ(help.DropDown()->geometry(), QRect(right, 230, 220, form.height()));
}

TEST_F(VehicleLookup, helpWidthDefaultsToTheNewEditWidthPlusFiveThatIsTheColumnsWidth)
{
    TKestHelp fresh;
    EXPECT_EQ(fresh.HelpOptions().HelpWidth(), 121 + 5);
    EXPECT_EQ(fresh.HelpOptions().HelpWidth(), THelpOptions::kWidthOfColumns);
    EXPECT_EQ(fresh.HelpOptions().HelpHeight(), 0);
    EXPECT_EQ(fresh.HelpOptions().EdtField, "name");
    EXPECT_EQ(fresh.HelpOptions().HDataSourceName, "helpmap");
    EXPECT_EQ(fresh.HelpOptions().HQueryAddress, "system/help");
    EXPECT_FALSE(fresh.notFocusedShowHelp());
}
