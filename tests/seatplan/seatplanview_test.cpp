// The seat views drawn offscreen: pictures, overlays, texts, the grey mask, and selection by
// mouse, space bar and double click.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPaintEvent>
#include <QFontMetrics>
#include <QTest>
#include <QToolTip>
#include <algorithm>
#include <filesystem>

#include "core/coreservices.h"
#include "core/sysfactory.h"
#include "core/sysservice.h"
#include "seatfixtures.h"
#include "seatpictures.h"
#include "seatplan/seatpichelp.h"
#include "seatplan/view/seatpicturecache.h"
#include "seatplan/view/seatplanchecked.h"
#include "support/tempfolder.h"

namespace kiosk {
namespace {

using test::Dict;
using test::ImageHex;
using test::kCheckedMark;
using test::kFreeGrey;
using test::kSoldBlue;
using test::Near;
using test::SeatsInState;

int argc = 1;
char arg0[] = "seatplan_view_test";
char* argv[] = {arg0, nullptr};

// The caches of a small station: state pictures "0" (60 × 60 grey), "2" and "7" (a 64 × 64
// overlay with a green mark on white), the sold picture of ticket type "1" (200 × 100 blue).
void FillStationPictures()
{
    auto& cache = TSeatPictureCache::Instance();
    cache.Clear();
    cache.FillVehiclespaces({});
    cache.FillSeatStatusPictures({{"0", ImageHex(test::Solid(60, 60, kFreeGrey), "BMP")},
                                  {"2", ImageHex(test::Solid(8, 8, Qt::white), "BMP")},
                                  {"7", ImageHex(test::Overlay(64, kCheckedMark), "BMP")}});
    cache.FillTickettypes({{"1", ImageHex(test::Solid(200, 100, kSoldBlue), "JPEG")}});
    cache.FillSpaceSoldPictures({{99, "1", ImageHex(test::Solid(10, 10, Qt::red), "JPEG")}});
}

// 45 seats as checkticket/qrySeatstatus gives them: 1-20 sold with ticket type "1" (5, 8 and 13
// checked), 21-45 without ticket.
TSeatPicHelp FortyFiveSeats()
{
    std::vector<TSeatStatusRow> rows;
    for (int n = 1; n <= 45; ++n) {
        TSeatStatusRow r;
        r.seatno = n;
        r.seattype = "0";
        if (n <= 20) {
            const bool checked = n == 5 || n == 8 || n == 13;
            r.status = checked ? "7" : "2";
            r.ischecked = checked;
            r.tickettype = "1";
            r.ticketno = "T" + std::to_string(n);
            r.seatinfo = n % 2 ? "南京" : "上海";
            r.colortype = "2";
            r.departstationid = 1;
        } else {
            r.status = "0";
            r.ticketno = "0";
        }
        rows.push_back(r);
    }
    TSeatPicHelp help;
    help.FillSeatStatus(rows, 1, false);
    return help;
}

// The view as the ticket check screen sets it up.
void SetUpAsCheckScreen(TSeatPlanChecked& view, TSeatPicHelp& help)
{
    view.setShowHint(false);
    view.setDefaultcellwidth(95);
    view.setDefaultcellheight(100);
    view.setDefaultcolcount(11);
    view.setShowspacename(false);
    view.setSelectSeatStatus(help.selectSeatStatus);
    view.setSeatsStatus(help.seatsStatus);
    view.setSeatsTickettype(help.seatsTickettype);
    view.setSeatsticketno(help.seatticketno);
    view.setSeatsreachstationname(help.seatStation);
    view.setSeatscolor(help.seatscolor);
    view.setSelectSeatNum(110);
    view.setBrandModelid(0);
}

QColor PixelIn(const QImage& image, const QRect& cell, int x, int y) { return image.pixelColor(cell.left() + x, cell.top() + y); }

// Whether some pixel of the rectangle is close to `colour`.
bool AnyPixelNear(const QImage& image, const QRect& area, QColor colour, int tolerance)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (Near(image.pixelColor(x, y), colour, tolerance)) return true;
    return false;
}

class SeatViews : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
    void SetUp() override
    {
        FillStationPictures();
        panel.setFont(font);
        panel.resize(1100, 640);
    }
    void TearDown() override { TSeatPictureCache::Instance().Clear(); }

    // The text band of a cell: the height of the font's line times the reserved lines.
    int Band(const TSeatPlan& view) const { return QFontMetrics(view.font()).height() * view.CellBottomlinenum(); }

    QFont font{"Noto Sans CJK SC"};
    QWidget panel;

public:
    SeatViews() { font.setPixelSize(14); }
};

TEST_F(SeatViews, CheckViewOfFortyFiveSeatsShowsStatePicturesOverlaysAndColouredTexts)
{
    TSeatPicHelp help = FortyFiveSeats();
    TSeatPlanChecked view(&panel);
    SetUpAsCheckScreen(view, help);
    view.resize(panel.size());
    panel.show();
    QApplication::processEvents();
    ASSERT_EQ(view.RowCount(), 6);
    ASSERT_EQ(view.ColCount(), 11);
    ASSERT_EQ(view.CellBottomlinenum(), 2);  // the destinations need a second line

    const QImage shot = view.grab().toImage();
    const QString png = QString::fromStdString((std::filesystem::current_path() / "seatplan_checkview45.png").string());
    ASSERT_TRUE(shot.save(png));

    const int band = Band(view);
    const TCellRect cellBox{0, 0, 95, 100};
    const QRect seat30 = view.CellRect(10, 3);
    const QRect seat5 = view.CellRect(5, 1);
    const QRect seat2 = view.CellRect(2, 1);
    ASSERT_EQ(seat5.size(), QSize(95, 100));

    // A seat without ticket: the state "0" picture, unscaled and centred, and no overlay.
    const TCellRect free = FitPicture(cellBox, band, 60, 60);
    EXPECT_TRUE(Near(PixelIn(shot, seat30, (free.left + free.right) / 2, (free.top + free.bottom) / 2), kFreeGrey));
    EXPECT_EQ(PixelIn(shot, seat30, 93, 1), QColor(Qt::white));

    // A checked seat: the sold picture of its ticket type with the state "7" overlay in the
    // top-right quarter; the overlay's white is transparent, so the picture shows through.
    const TCellRect sold = FitPicture(cellBox, band, 200, 100);
    ASSERT_EQ(sold.Width(), 95);
    EXPECT_TRUE(Near(PixelIn(shot, seat5, 20, (sold.top + sold.bottom) / 2), kSoldBlue));
    EXPECT_TRUE(Near(PixelIn(shot, seat5, 71, 25), kCheckedMark));
    EXPECT_TRUE(Near(PixelIn(shot, seat5, 49, sold.top + 2), kSoldBlue));
    // An unchecked sold seat: the same picture, no overlay.
    EXPECT_TRUE(Near(PixelIn(shot, seat2, 71, 25), kSoldBlue));

    // Colour type "2": red on the checked seat, black on the unchecked one.
    const QRect band5(seat5.left(), seat5.bottom() + 1 - band, seat5.width(), band);
    const QRect band2(seat2.left(), seat2.bottom() + 1 - band, seat2.width(), band);
    EXPECT_TRUE(AnyPixelNear(shot, band5, Qt::red, 60));
    EXPECT_FALSE(AnyPixelNear(shot, band2, Qt::red, 60));
    EXPECT_TRUE(AnyPixelNear(shot, band2, Qt::black, 60));

    // Beyond seat 45 the grid is empty.
    const QRect seat46 = view.CellRect(6, 5);
    EXPECT_FALSE(AnyPixelNear(shot, seat46.adjusted(1, 1, -1, -1), Qt::black, 100));
}

TEST_F(SeatViews, RefilledDictionariesShowAfterARepaint)
{
    TSeatPicHelp help = FortyFiveSeats();
    TSeatPlanChecked view(&panel);
    SetUpAsCheckScreen(view, help);
    (*help.seatsStatus)[2] = "7";  // the next load checked seat 2
    const QImage shot = view.grab().toImage();
    EXPECT_TRUE(Near(PixelIn(shot, view.CellRect(2, 1), 71, 25), kCheckedMark));
}

// Collects the regions the view's viewport is asked to paint.
class PaintRegions : public QObject {
public:
    QRegion painted;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

TEST_F(SeatViews, AfterACheckOnlyTheCellsThatChangedArePaintedAgain)
{
    TSeatPicHelp help = FortyFiveSeats();
    TSeatPlanChecked view(&panel);
    SetUpAsCheckScreen(view, help);
    view.resize(panel.size());
    panel.show();
    QApplication::processEvents();
    PaintRegions regions;
    view.viewport()->installEventFilter(&regions);

    // The same states again: nothing to paint.
    view.repaintChangedCells();
    QApplication::processEvents();
    EXPECT_TRUE(regions.painted.isEmpty());

    // The next load checked seat 2: its cell alone is painted, and shows the check.
    (*help.seatsStatus)[2] = "7";
    view.repaintChangedCells();
    QApplication::processEvents();
    EXPECT_EQ(regions.painted, QRegion(view.CellRect(2, 1)));
    const QImage shot = view.grab().toImage();
    EXPECT_TRUE(Near(PixelIn(shot, view.CellRect(2, 1), 71, 25), kCheckedMark));
}

TEST_F(SeatViews, PictureIsStretchedToTheAreaWidthAndOverlayToTheCorner)
{
    TSeatPlan view(&panel);
    view.setDefaultcellwidth(95);
    view.setDefaultcellheight(100);
    view.setSeatsStatus(Dict({{1, "7"}}));
    view.setSeatsTickettype(Dict({{1, "1"}}));
    const QImage shot = view.grab().toImage();
    const QRect cell = view.CellRect(1, 1);
    const TCellRect at = FitPicture({0, 0, 95, 100}, Band(view), 200, 100);
    EXPECT_EQ(at.Height(), 48);
    EXPECT_TRUE(Near(PixelIn(shot, cell, 2, at.top + 1), kSoldBlue));
    EXPECT_TRUE(Near(PixelIn(shot, cell, 2, at.bottom - 2), kSoldBlue));
    EXPECT_EQ(PixelIn(shot, cell, 2, at.top - 2), QColor(Qt::white));
    EXPECT_EQ(PixelIn(shot, cell, 2, at.bottom + 1), QColor(Qt::white));
    // The overlay covers x 47..95, y 0..50: its mark sits in the middle of that quarter only.
    EXPECT_TRUE(Near(PixelIn(shot, cell, 71, 25), kCheckedMark));
    EXPECT_FALSE(Near(PixelIn(shot, cell, 40, 25), kCheckedMark));
    EXPECT_FALSE(Near(PixelIn(shot, cell, 71, 55), kCheckedMark));
}

TEST_F(SeatViews, GreyMaskGreysOnlyTheSeatsThatCannotBeSelected)
{
    TSeatPlanSelect view(&panel);
    view.setDefaultcellwidth(95);
    view.setDefaultcellheight(100);
    view.setDefaultcolcount(11);
    view.setSeatsStatus(Dict({{1, "2"}, {2, "0"}}));
    view.setSeatsTickettype(Dict({{1, "1"}}));
    view.setSelectSeatStatus(std::make_shared<TStringList>(TStringList{"2"}));
    view.setLayerMask(true);
    const QImage shot = view.grab().toImage();
    const QRect free = view.CellRect(1, 1);
    const QRect taken = view.CellRect(2, 1);
    EXPECT_TRUE(Near(PixelIn(shot, free, 20, 30), kSoldBlue));
    for (QPoint p : {QPoint(47, 33), QPoint(2, 2), QPoint(47, 95)}) {
        const QColor c = PixelIn(shot, taken, p.x(), p.y());
        EXPECT_EQ(c.red(), c.green());
        EXPECT_EQ(c.green(), c.blue());
    }
    EXPECT_EQ(PixelIn(shot, taken, 2, 2), QColor(237, 237, 237));  // white through the matrix
}

TEST_F(SeatViews, MousePressAndSpaceBarToggleSeatsWithinTheLimit)
{
    TSeatPlanSelect view(&panel);
    view.setDefaultcolcount(11);
    view.setSeatsStatus(SeatsInState(9, "2"));
    view.setSelectSeatNum(2);
    std::vector<TSeatNo> raised;
    view.setOnSelectSeatno([&](TSeatNo n) { raised.push_back(n); });
    panel.show();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.CellRect(3, 1).center());
    EXPECT_EQ(view.selectedSeats(), (TSeatList{3}));
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, view.CellRect(5, 1).center());
    EXPECT_EQ(view.selectedSeats(), (TSeatList{3}));
    EXPECT_EQ(view.Col(), 5);
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_EQ(view.selectedSeats(), (TSeatList{3, 5}));
    QTest::keyClick(&view, Qt::Key_Right);
    QTest::keyClick(&view, Qt::Key_Space);  // a third seat is not added
    EXPECT_EQ(view.selectedSeats(), (TSeatList{3, 5}));
    EXPECT_EQ(raised, (std::vector<TSeatNo>{3, 5, 6}));
}

TEST_F(SeatViews, TouchAndDoubleClickOnTheCheckViewRaiseTheSeatEvents)
{
    TSeatPicHelp help = FortyFiveSeats();
    TSeatPlanChecked view(&panel);
    SetUpAsCheckScreen(view, help);
    std::vector<std::string> touched, doubled;
    view.setOnSelectSeat([&](TSeatNo, const std::string& t, bool before, bool&) { touched.push_back(t + (before ? "+" : "-")); });
    view.setOnDbClickSeat([&](TSeatNo, const std::string& t, bool, bool&) { doubled.push_back(t); });
    panel.show();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.CellRect(5, 1).center());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.CellRect(10, 3).center());  // seat 30: no ticket
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, view.CellRect(2, 1).center());
    ASSERT_FALSE(touched.empty());
    EXPECT_EQ(touched.front(), "T5+");
    EXPECT_EQ(std::count(touched.begin(), touched.end(), "-"), 0);  // seat 30 raised nothing
    EXPECT_EQ(doubled, (std::vector<std::string>{"T2"}));
    EXPECT_TRUE(view.selectedSeats().empty());
}

TEST_F(SeatViews, LocatingMovesTheFocusToTheSeatsCell)
{
    TSeatPlanChecked view(&panel);
    view.setDefaultcolcount(11);
    view.setSeatsStatus(SeatsInState(22, "2"));
    view.setSeatsticketno(Dict({{10, "T10"}, {12, "T1,T2"}}));
    EXPECT_TRUE(view.locateBySeatNo(10, true));
    EXPECT_EQ(view.Col(), 10);
    EXPECT_EQ(view.Row(), 1);
    EXPECT_EQ(view.getFocusCellSeatNo(), 10);
    EXPECT_TRUE(view.locateByTicketNo("T10", false));
    EXPECT_TRUE(view.model().isLocateTriggerSelectEvent());
    EXPECT_FALSE(view.locateByTicketNo("T1", true));
    EXPECT_FALSE(view.locateBySeatNo(23, true));
    EXPECT_EQ(view.getFocusCellSeatNo(), 10);
}

TEST_F(SeatViews, HintOfTheSeatUnderTheMouseShowsAsToolTip)
{
    TSeatPlan view(&panel);
    view.setDefaultcolcount(11);
    view.setSeatsStatus(SeatsInState(3, "2"));
    (*view.seatshint())[2] = "0000011002 全票 韶关";
    panel.show();
    QApplication::processEvents();
    QTest::mouseMove(view.viewport(), view.CellRect(2, 1).center());
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QString("0000011002 全票 韶关"));
    QTest::mouseMove(view.viewport(), view.CellRect(3, 1).center());  // a seat without hint
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000));

    view.setShowHint(false);
    QTest::mouseMove(view.viewport(), view.CellRect(2, 1).center());
    QTest::qWait(50);
    EXPECT_FALSE(QToolTip::isVisible());
}

TEST_F(SeatViews, SelectedSeatWithoutSelectedOverlayGetsTheCheckmarkFile)
{
    test::TempFolder work;
    std::filesystem::create_directory(work / "images");
    ASSERT_TRUE(test::Overlay(32, Qt::magenta).save(QString::fromStdString((work / "images" / "checkmark.bmp").string()), "BMP"));
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(work.path());

    TSeatPlanSelect view(&panel);
    view.setDefaultcellwidth(95);
    view.setDefaultcellheight(100);
    view.setDefaultcolcount(11);
    view.setSeatsStatus(SeatsInState(3, "2"));
    view.setSelectSeatNum(1);
    view.setSelectedSeats({2});
    const QImage shot = view.grab().toImage();
    std::filesystem::current_path(before);

    // 32 × 32 in the top-right corner (x 63..95, y 0..32): the mark fills its middle.
    EXPECT_TRUE(Near(PixelIn(shot, view.CellRect(2, 1), 79, 16), Qt::magenta));
    EXPECT_FALSE(Near(PixelIn(shot, view.CellRect(1, 1), 79, 16), Qt::magenta));
}

TEST_F(SeatViews, PictureThatDoesNotDecodeIsLeftOutAndLogged)
{
    test::TempFolder home;
    FreeSysService();
    FreeFactoryManager();
    RegisterCoreServices(home.str());
    auto& cache = TSeatPictureCache::Instance();
    cache.FillTickettypes({{"1", "FFD8FFE0ZZ"}, {"3", "00112233"}});
    EXPECT_FALSE(cache.keys()->HasTickettypePicture("1"));
    EXPECT_FALSE(cache.keys()->HasTickettypePicture("3"));

    TSeatPlanChecked view(&panel);
    view.setSeatsStatus(Dict({{1, "2"}}));
    view.setSeatsTickettype(Dict({{1, "1"}}));
    const QImage shot = view.grab().toImage();
    EXPECT_EQ(PixelIn(shot, view.CellRect(1, 1), 20, 10), QColor(Qt::white));

    std::string log;
    for (const auto& entry : std::filesystem::directory_iterator(home / "error")) log += test::ReadFile(entry.path());
    EXPECT_NE(log.find("座位图片无法识别：tickettype 1"), std::string::npos);
    EXPECT_NE(log.find("座位图片无法识别：tickettype 3"), std::string::npos);
    FreeSysService();
    FreeFactoryManager();
}

} // namespace
} // namespace kiosk
