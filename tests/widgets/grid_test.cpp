// The kiosk data grid over a real dataset, driven offscreen with QTest mouse and key events;
// Qt's model checker watches the table model throughout.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QTest>

#include "grid/tktdbgrideh.h"

using namespace kiosk;

namespace {

int argc = 1;
char arg0[] = "grid_test";
char* argv[] = {arg0, nullptr};

// Collects what the model checker reports; a test fails on any of it.
QStringList& CheckerReports()
{
    static QStringList reports;
    return reports;
}

void RecordCheckerReport(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtDebugMsg && type != QtInfoMsg) CheckerReports().append(message);
}

// The tickets of a schedule: ticketno, name (mixed case), price, seatno, a blob photo.
void FillTickets(TDataSet& ds, const std::vector<std::string>& names)
{
    ds.FieldDefs().Add("ticketno", ftString, 20);
    ds.FieldDefs().Add("name", ftString, 20);
    ds.FieldDefs().Add("price", ftFloat);
    ds.FieldDefs().Add("seatno", ftInteger);
    ds.FieldDefs().Add("photo", ftBlob);
    ds.CreateDataSet();
    int n = 0;
    for (const std::string& name : names) {
        ++n;
        ds.Append();
        ds.FieldByName("ticketno").SetAsString("T" + std::to_string(100 + n));
        ds.FieldByName("name").SetAsString(name);
        ds.FieldByName("price").SetAsFloat(n % 2 ? 0.1 : 0.2);
        ds.FieldByName("seatno").SetAsInteger(n);
        ds.Post();
    }
    ds.MergeChangeLog();
    ds.First();
}

std::vector<std::string> Names(int count)
{
    std::vector<std::string> names;
    for (int i = 1; i <= count; ++i) names.push_back("name" + std::to_string(i));
    return names;
}

class Grid : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QApplication::instance()) new QApplication(argc, argv);
    }

    void SetUp() override
    {
        CheckerReports().clear();
        previousHandler = qInstallMessageHandler(RecordCheckerReport);
        grid.resize(640, 400);
        grid.SetColumns({{"ticketno", "票号", 90, true, {fvtStaticText, "合计"}},
                         {"name", "姓名", 90, true, {fvtCount, {}}},
                         {"price", "票价", 80, true, {fvtSum, {}}},
                         {"seatno", "座位号", 80, true, {}},
                         {"photo", "照片", 60, true, {}},
                         {"ticketno;name", "票", 60, true, {}},
                         {"id", "id", 40, false, {}}});
        grid.SetDataSet(&ds);
        tester = std::make_unique<QAbstractItemModelTester>(
            grid.Model(), QAbstractItemModelTester::FailureReportingMode::Warning);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }

    void TearDown() override
    {
        tester.reset();
        qInstallMessageHandler(previousHandler);
        EXPECT_TRUE(CheckerReports().isEmpty()) << CheckerReports().join('\n').toStdString();
    }

    void ClickTitle(int column)
    {
        QHeaderView* header = grid.horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    void ClickRow(int row)
    {
        const QRect cell = grid.visualRect(grid.Model()->index(row, 1));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    }

    std::vector<std::string> NamesInOrder() const
    {
        std::vector<std::string> names;
        for (int row = 0; row < ds.RecordCount(); ++row) names.push_back(grid.RowValue(row, "name").ToText());
        return names;
    }

    // Pixels of the row-number colour inside the indicator cell of `row`.
    int LineNoPixels(int row)
    {
        const QImage image = grid.grab().toImage();
        const QRect cell = grid.IndicatorRect(row);
        int count = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (std::abs(c.red() - 224) < 24 && std::abs(c.green() - 41) < 24 && std::abs(c.blue() - 105) < 24)
                    ++count;
            }
        return count;
    }

    TDataSet ds{"jscdQryCheckeds"};
    TKtDbgridEh grid;
    std::unique_ptr<QAbstractItemModelTester> tester;
    QtMessageHandler previousHandler = nullptr;
};

} // namespace

TEST_F(Grid, startsWithTheKioskDefaults)
{
    EXPECT_TRUE(grid.ShowLineNo());
    EXPECT_EQ(grid.IndicatorWidth(), 32);
    EXPECT_FALSE(grid.AutoFocusKey());
    EXPECT_EQ(grid.AutoFocusKeyInterval(), 300u);
    EXPECT_TRUE(grid.horizontalHeader()->sectionsClickable());
    EXPECT_EQ(grid.verticalHeader()->width(), 32);
}

TEST_F(Grid, rowNumbersAppearOnlyOnAnOpenDataset)
{
    FillTickets(ds, Names(3));
    TDataPacket rows = ds.Data();
    ds.Close();
    QApplication::processEvents();
    EXPECT_EQ(grid.Model()->rowCount(), 0);
    EXPECT_EQ(LineNoPixels(0), 0);

    ds.SetData(std::move(rows));
    QApplication::processEvents();
    ASSERT_EQ(grid.Model()->rowCount(), 3);
    EXPECT_GT(LineNoPixels(0), 0);
    EXPECT_GT(LineNoPixels(2), 0);
    EXPECT_EQ(grid.Model()->headerData(2, Qt::Vertical).toInt(), 3);

    grid.SetShowLineNo(false);
    EXPECT_EQ(LineNoPixels(0), 0);
}

TEST_F(Grid, showsTitlesHidesColumnsAndBindsFieldsByName)
{
    FillTickets(ds, {"王五", "李四"});
    TDataSetTableModel& model = *grid.Model();
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "票号");
    EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), "座位号");
    EXPECT_TRUE(grid.isColumnHidden(6));
    EXPECT_FALSE(grid.isColumnHidden(1));
    EXPECT_EQ(grid.columnWidth(0), 90);
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), "李四");
    EXPECT_EQ(model.data(model.index(0, 2)).toString(), "0.1");
    EXPECT_EQ(model.data(model.index(0, 2), TDataSetTableModel::RawValueRole).toDouble(), 0.1);
    EXPECT_EQ(model.data(model.index(1, 3), TDataSetTableModel::RawValueRole).toLongLong(), 2);
    EXPECT_TRUE(model.data(model.index(0, 2), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight);
    // The multi-field column and the missing field show nothing.
    EXPECT_FALSE(model.data(model.index(0, 5)).isValid());
    EXPECT_FALSE(model.data(model.index(0, 6)).isValid());
}

TEST_F(Grid, withoutColumnsShowsEveryFieldUnderItsName)
{
    grid.SetColumns({});
    FillTickets(ds, {"a"});
    ASSERT_EQ(grid.Model()->columnCount(), 5);
    EXPECT_EQ(grid.Model()->headerData(1, Qt::Horizontal).toString(), "name");
}

TEST_F(Grid, followsTheDatasetCursorBothWays)
{
    FillTickets(ds, Names(8));
    ds.SetRecNo(4);
    EXPECT_EQ(grid.currentIndex().row(), 3);

    ClickRow(6);
    EXPECT_EQ(ds.RecNo(), 7);
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(ds.RecNo(), 8);
    QTest::keyClick(&grid, Qt::Key_Up);
    QTest::keyClick(&grid, Qt::Key_Up);
    EXPECT_EQ(ds.RecNo(), 6);
}

TEST_F(Grid, aScrollTheDatasetRefusesPutsTheGridBack)
{
    FillTickets(ds, Names(5));
    ds.BeforeScroll = [](TDataSet&) { TDataSet::Abort(); };
    ClickRow(3);
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(grid.currentIndex().row(), 0);
}

TEST_F(Grid, disabledControlsHoldTheGridUntilEnabled)
{
    FillTickets(ds, Names(2));
    ds.DisableControls();
    for (int i = 0; i < 3; ++i) {
        ds.Append();
        ds.FieldByName("name").SetAsString("late");
        ds.Post();
    }
    QApplication::processEvents();
    grid.repaint();
    EXPECT_EQ(grid.Model()->rowCount(), 2);
    ds.EnableControls();
    EXPECT_EQ(grid.Model()->rowCount(), 5);
    EXPECT_EQ(grid.currentIndex().row(), ds.RecNo() - 1);
}

TEST_F(Grid, threeTitleClicksSortAscendingDescendingThenAscendingWithoutMarker)
{
    FillTickets(ds, {"b", "A", "c"});
    ClickTitle(1);
    EXPECT_EQ(NamesInOrder(), (std::vector<std::string>{"A", "b", "c"}));
    EXPECT_EQ(grid.SortMarker(1), smAscending);
    EXPECT_EQ(grid.horizontalHeader()->sortIndicatorSection(), 1);

    ClickTitle(1);
    EXPECT_EQ(NamesInOrder(), (std::vector<std::string>{"c", "b", "A"}));
    EXPECT_EQ(grid.SortMarker(1), smDescending);
    EXPECT_EQ(grid.horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);

    ClickTitle(1);
    EXPECT_EQ(NamesInOrder(), (std::vector<std::string>{"A", "b", "c"}));
    EXPECT_EQ(grid.SortMarker(1), smNone);
    EXPECT_EQ(grid.horizontalHeader()->sortIndicatorSection(), -1);
    EXPECT_EQ(ds.IndexName(), "name");
    EXPECT_EQ(ds.IndexDefs().size(), 1u);
}

TEST_F(Grid, titleClickOnAnotherColumnClearsTheFirstMarker)
{
    FillTickets(ds, {"b", "A", "c"});
    ClickTitle(1);
    ClickTitle(3);
    EXPECT_EQ(grid.SortMarker(1), smNone);
    EXPECT_EQ(grid.SortMarker(3), smAscending);
    EXPECT_EQ(ds.IndexName(), "seatno");
}

TEST_F(Grid, titleClicksThatChangeNothing)
{
    FillTickets(ds, {"b", "A", "c"});
    const std::vector<std::string> loaded{"b", "A", "c"};
    int titleClicks = 0;
    QObject::connect(&grid, &TKtDbgridEh::TitleClick, [&](int) { ++titleClicks; });

    ClickTitle(4); // a blob
    ClickTitle(5); // a lookup-style column on two key fields
    EXPECT_EQ(NamesInOrder(), loaded);
    EXPECT_EQ(grid.SortMarker(4), smNone);
    EXPECT_EQ(grid.SortMarker(5), smNone);
    EXPECT_TRUE(ds.IndexName().empty());

    ds.Close();
    ClickTitle(1);
    EXPECT_EQ(grid.SortMarker(1), smNone);
    EXPECT_TRUE(ds.IndexDefs().empty());
    EXPECT_EQ(titleClicks, 3);
}

TEST_F(Grid, digitKeysJumpToTheTypedRecordNumber)
{
    grid.SetAutoFocusKey(true);
    FillTickets(ds, Names(15));
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_1);
    QTest::keyClick(&grid, Qt::Key_2, Qt::KeypadModifier);
    EXPECT_EQ(ds.RecNo(), 1); // nothing moves before the keyboard falls silent
    QTest::qWait(450);
    EXPECT_EQ(ds.RecNo(), 12);
    EXPECT_EQ(grid.currentIndex().row(), 11);

    QTest::keyClick(&grid, Qt::Key_3);
    QTest::qWait(450);
    EXPECT_EQ(ds.RecNo(), 3); // a new entry starts from 0
}

TEST_F(Grid, digitJumpPastTheLastRecordStays)
{
    grid.SetAutoFocusKey(true);
    FillTickets(ds, Names(10));
    ds.SetRecNo(4);
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_1);
    QTest::keyClick(&grid, Qt::Key_2);
    QTest::qWait(450);
    EXPECT_EQ(ds.RecNo(), 4);
    QTest::keyClick(&grid, Qt::Key_0);
    QTest::qWait(450);
    EXPECT_EQ(ds.RecNo(), 4);
}

TEST_F(Grid, digitKeysDoNothingWithoutAutoFocusKey)
{
    FillTickets(ds, Names(15));
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_5);
    QTest::qWait(450);
    EXPECT_EQ(ds.RecNo(), 1);
}

TEST_F(Grid, footersShowTextCountAndSum)
{
    FillTickets(ds, Names(3));
    EXPECT_EQ(grid.FooterText(0), "合计");
    EXPECT_EQ(grid.FooterText(1), "3");
    EXPECT_EQ(grid.FooterText(2), "0.4"); // 0.1 + 0.2 + 0.1, without the binary noise
    EXPECT_EQ(grid.FooterText(3), "");
    ds.Append();
    ds.FieldByName("price").SetAsFloat(1.25);
    ds.Post();
    EXPECT_EQ(grid.FooterText(1), "4");
    EXPECT_EQ(grid.FooterText(2), "1.65");
    ds.Close();
    EXPECT_EQ(grid.FooterText(1), "");
}

TEST_F(Grid, selectionOptionsFollowTheFormsSettings)
{
    grid.SetAutoSetMultiSelect(false);
    grid.SetAutoSetCtrlKey(false);
    EXPECT_EQ(grid.selectionMode(), QAbstractItemView::SingleSelection);
    grid.SetAutoSetMultiSelect(true);
    EXPECT_EQ(grid.selectionMode(), QAbstractItemView::ExtendedSelection);
    grid.SetAutoSetCtrlKey(true);
    EXPECT_EQ(grid.selectionMode(), QAbstractItemView::MultiSelection);

    grid.SetRowSelect(true);
    FillTickets(ds, Names(3));
    ClickRow(1);
    grid.SetAutoSetMultiSelect(false);
    ClickRow(2);
    EXPECT_EQ(grid.selectionModel()->selectedRows().size(), 1);
    EXPECT_TRUE(grid.selectionModel()->isRowSelected(2, {}));
}

TEST_F(Grid, indicatorWidthIsApplied)
{
    grid.SetIndicatorWidth(48);
    QApplication::processEvents();
    EXPECT_EQ(grid.verticalHeader()->width(), 48);
}

TEST_F(Grid, cellParamsHandlerColoursRows)
{
    FillTickets(ds, {"已打单", "未检"});
    grid.OnGetCellParams = [](TKtDbgridEh& g, TKtCellParams& p) {
        if (g.RowValue(p.Row, "name").ToText() == "已打单") p.Background = QColor(128, 128, 0);
    };
    ds.SetRecNo(2);
    const QImage image = grid.grab().toImage();
    const QRect first = grid.visualRect(grid.Model()->index(0, 3)).translated(grid.viewport()->pos());
    const QRect second = grid.visualRect(grid.Model()->index(1, 3)).translated(grid.viewport()->pos());
    EXPECT_EQ(image.pixelColor(first.left() + 3, first.top() + 3), QColor(128, 128, 0));
    EXPECT_NE(image.pixelColor(second.left() + 3, second.top() + 3), QColor(128, 128, 0));
}

TEST_F(Grid, datasetDyingFirstLeavesAnEmptyGrid)
{
    auto other = std::make_unique<TDataSet>("temp");
    FillTickets(*other, Names(2));
    grid.SetDataSet(other.get());
    other.reset();
    EXPECT_EQ(grid.DataSet(), nullptr);
    EXPECT_FALSE(grid.Model()->data(grid.Model()->index(0, 0)).isValid());
    grid.SetDataSet(&ds);
    EXPECT_EQ(grid.Model()->rowCount(), 0);
}
