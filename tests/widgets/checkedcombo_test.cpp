// TKestCheckedComboBox: checks, texts, the open list under mouse and keys, the pop-up menu,
// and the filling from the demo station server.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "data/controls/tkestcheckedcombobox.h"
#include "support/qtapp.h"
#include "demostation.h"
#include "support/staffsession.h"

using namespace kiosk;

namespace {

class CheckedCombo : public testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureApplication(); }

    void SetUp() override
    {
        form.resize(400, 300);
        combo.setGeometry(10, 10, 250, 30);
        other.setGeometry(10, 100, 100, 30);
        other.setFocusPolicy(Qt::StrongFocus);
        other.setFocus();
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    void AddItems(std::initializer_list<std::pair<std::int64_t, const char*>> items)
    {
        for (auto [id, name] : items) combo.AddItem({id, name, "C" + std::to_string(id), false});
    }

    QWidget form;
    TKestCheckedComboBox combo{&form};
    QWidget other{&form};
};

// The station's entrances, as the ticket check screen fills its invisible entrance list.
class EntranceList : public CheckedCombo {
protected:
    static void SetUpTestSuite()
    {
        CheckedCombo::SetUpTestSuite();
        station = new test::DemoStation;
    }
    static void TearDownTestSuite()
    {
        delete station;
    }
    void SetUp() override
    {
        CheckedCombo::SetUp();
        jcon.SetURLHost(station->URLHost());
        ASSERT_NO_THROW(test::StaffLogin(jcon));
    }

    static test::DemoStation* station;
    TjsonConnection jcon;
};

test::DemoStation* EntranceList::station = nullptr;

} // namespace

TEST_F(CheckedCombo, startsWithThePropertiesDefaults)
{
    EXPECT_EQ(combo.ColorNotFocus(), QColor(Qt::white));
    EXPECT_EQ(combo.QuoteStyle(), qsNone);
    EXPECT_TRUE(combo.ShowTextAsHint());
    EXPECT_EQ(TKestCheckedComboBox::Version(), "1.2");
    EXPECT_FALSE(combo.Active());
    EXPECT_EQ(combo.HelpOptions().HDataSourceName, "datalist");
    EXPECT_EQ(combo.HelpOptions().HQueryAddress, "system/queryhelpcombox");
    EXPECT_FALSE(combo.HelpOptions().SelectAll);
}

TEST_F(CheckedCombo, selectedIdsInListOrder)
{
    AddItems({{3, "A"}, {5, "B"}, {7, "C"}});
    EXPECT_EQ(combo.GetSelectID(), "");
    combo.SetCheck(2, true);
    combo.SetCheck(0, true);
    EXPECT_EQ(combo.GetSelectID(), "(3,7)");
    EXPECT_EQ(combo.CheckedCount(), 2);
    EXPECT_EQ(combo.Text(), "A; C");
}

TEST_F(CheckedCombo, checkedTextWithEachQuoteStyle)
{
    AddItems({{1, "A"}, {2, "B"}, {3, "C,D"}});
    struct Case {
        TATCBQuoteStyle style;
        std::vector<int> checked;
        const char* text;
    };
    for (const Case& c : {Case{qsSingle, {0, 1}, "'A; B'"}, Case{qsDouble, {0, 1}, "\"A; B\""},
                          Case{qsSingle, {2}, "'C','D'"}, Case{qsNone, {2}, "C,D"}, Case{qsSingle, {}, ""}}) {
        combo.CheckAll(false);
        for (int i : c.checked) combo.SetCheck(i, true);
        combo.SetQuoteStyle(c.style);
        EXPECT_EQ(combo.Text(), c.text);
    }
}

TEST_F(CheckedCombo, checksOutsideTheListAreIgnoredAndEachChangeIsReported)
{
    AddItems({{1, "A"}, {2, "B"}});
    QSignalSpy clicks(&combo, &TKestCheckedComboBox::OnCheckClick);
    combo.SetCheck(-1, true);
    combo.SetCheck(2, true);
    EXPECT_FALSE(combo.IsChecked(-1));
    EXPECT_FALSE(combo.IsChecked(2));
    EXPECT_EQ(clicks.count(), 0);
    combo.CheckAll(true);
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_EQ(combo.toolTip(), "A; B");
}

TEST_F(CheckedCombo, checkByIdLeavesOnlyThatItemChecked)
{
    AddItems({{1, "A"}, {2, "B"}, {2, "B2"}});
    combo.CheckAll(true);
    combo.CheckById(false, 2);
    EXPECT_EQ(combo.GetSelectID(), "(2)");
    EXPECT_TRUE(combo.IsChecked(1));
    EXPECT_FALSE(combo.IsChecked(2));
    combo.CheckById(true, 99);
    EXPECT_EQ(combo.CheckedCount(), 0);
}

TEST_F(CheckedCombo, clicksInTheOpenListToggleAndKeepItOpen)
{
    AddItems({{1, "1号检票口"}, {2, "2号检票口"}, {3, "3号检票口"}});
    QSignalSpy changes(&combo, &TKestCheckedComboBox::OnChange);
    combo.showPopup();
    QAbstractItemView* list = combo.view();
    ASSERT_TRUE(list->isVisible());
    const QPoint second = list->visualRect(list->model()->index(1, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
    EXPECT_TRUE(combo.IsChecked(1));
    EXPECT_TRUE(list->isVisible());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
    EXPECT_FALSE(combo.IsChecked(1));

    list->setCurrentIndex(list->model()->index(2, 0));
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_TRUE(combo.IsChecked(2));
    EXPECT_EQ(changes.count(), 3);
    EXPECT_EQ(combo.currentIndex(), -1);
    combo.hidePopup();
    EXPECT_EQ(combo.Text(), "3号检票口");
}

TEST_F(EntranceList, popupMenuChecksAndUnchecksEverything)
{
    combo.HelpOptions().HJSONConnection = &jcon;
    combo.HelpOptions().HelpType = "TicketentranceHelp";
    combo.SetActive(true);
    ASSERT_NE(combo.PopupMenu(), nullptr);
    const auto choose = [this](int action) {
        QTimer::singleShot(0, [action] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            menu->actions().at(action)->trigger();
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), combo.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&combo, &event);
    };
    EXPECT_EQ(combo.PopupMenu()->actions().at(0)->text(), "全选");
    EXPECT_EQ(combo.PopupMenu()->actions().at(1)->text(), "取消");
    choose(0);
    EXPECT_EQ(combo.CheckedCount(), 3);
    choose(1);
    EXPECT_EQ(combo.CheckedCount(), 0);
}

TEST_F(CheckedCombo, enteringIsWhiteAndLeavingTakesColorNotFocus)
{
    combo.SetColorNotFocus(QColor(255, 255, 0));
    EXPECT_EQ(combo.BackgroundColor(), QColor(255, 255, 0));
    QSignalSpy entered(&combo, &TKestCheckedComboBox::OnEnter);
    QSignalSpy left(&combo, &TKestCheckedComboBox::OnExit);
    combo.setFocus(Qt::TabFocusReason);
    EXPECT_EQ(combo.BackgroundColor(), QColor(Qt::white));
    other.setFocus(Qt::TabFocusReason);
    EXPECT_EQ(combo.BackgroundColor(), QColor(255, 255, 0));
    EXPECT_EQ(entered.count(), 1);
    EXPECT_EQ(left.count(), 1);
}

TEST_F(EntranceList, fillsFromTheServerWithAllChecked)
{
    TKestCheckedComboBox::THelpOptions& o = combo.HelpOptions();
    o.HJSONConnection = &jcon;
    o.HQueryAddress = "checkticket/qryTicketentrance";
    o.HDataSourceName = "entrancelist";
    o.SelectAll = true;
    combo.Params().CreateParam(ftString, "ip", ptInput).SetAsString("127.0.0.1");
    combo.Params().CreateParam(ftString, "orgid", ptInput).SetAsString("11");
    QSignalSpy clicks(&combo, &TKestCheckedComboBox::OnCheckClick);
    combo.SetActive(true);
    ASSERT_EQ(combo.Items().size(), 3u);
    EXPECT_EQ(combo.Items()[1].ID, 2);
    EXPECT_EQ(combo.Items()[1].Name, "2号检票口");
    EXPECT_EQ(combo.Items()[1].Value, "A2");
    EXPECT_EQ(combo.GetSelectID(), "(1,2,3)");
    EXPECT_EQ(combo.Text(), "1号检票口; 2号检票口; 3号检票口");
    EXPECT_EQ(combo.itemText(0), "1号检票口");
    EXPECT_EQ(clicks.count(), 0); // checked without events

    // Once per switch: another organisation's list comes with the next activation only.
    combo.Params().ParamByName("orgid").SetAsString("99");
    combo.SetActive(true);
    EXPECT_EQ(combo.Items().size(), 3u);
    combo.SetActive(false);
    combo.SetActive(true);
    EXPECT_TRUE(combo.Items().empty());
    EXPECT_EQ(combo.Text(), "");
}

TEST_F(EntranceList, defaultsQueryTheHelpComboAddressWithHelpType)
{
    combo.HelpOptions().HJSONConnection = &jcon;
    combo.HelpOptions().HelpType = "TicketentranceHelp";
    combo.SetActive(true);
    ASSERT_EQ(combo.Items().size(), 3u);
    EXPECT_EQ(combo.CheckedCount(), 0);
    EXPECT_EQ(combo.Params().ParamByName("helpType").AsString(), "TicketentranceHelp");
}

TEST_F(EntranceList, aFailedFillingGoesToTheCallerAndLeavesItInactive)
{
    TjsonConnection dead;
    dead.SetURLHost("http://127.0.0.1:1/KtBusWeb/");
    combo.HelpOptions().HJSONConnection = &dead;
    combo.HelpOptions().HelpType = "TicketentranceHelp";
    try {
        combo.SetActive(true);
        FAIL() << "no failure";
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()).rfind("无法连接服务器", 0), 0u) << e.what();
    }
    EXPECT_FALSE(combo.Active());

    // Without a connection it fails with the dataset's own text.
    TKestCheckedComboBox unconnected(&form);
    try {
        unconnected.SetActive(true);
        FAIL() << "no failure";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "数据集jcdsCombo没有设置RemoteServer");
    }
    EXPECT_FALSE(unconnected.Active());
}
