// The check view of the demo station's 45-seat schedule K0830, with the seat states and the
// pictures that stationd serves, drawn offscreen as the ticket check screen shows it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <cstdlib>
#include <filesystem>

#include "core/coreservices.h"
#include "core/sysfactory.h"
#include "core/sysservice.h"
#include "seatpictures.h"
#include "seatplan/seatpichelp.h"
#include "seatplan/seatplanloader.h"
#include "seatplan/view/seatpicturecache.h"
#include "seatplan/view/seatplanchecked.h"
#include "stationprocess.h"
#include "support/staffsession.h"
#include "support/tempfolder.h"

namespace kiosk {
namespace {

int argc = 1;
char arg0[] = "seatplan_screen_test";
char* argv[] = {arg0, nullptr};

constexpr std::int64_t kK0830 = 7001;   // the demo schedule plan of the 45-seat coach
constexpr std::int64_t kStation = 101;  // the kiosk's station in the demo data

// Draws `image` into `at` of an otherwise transparent cell as the views do, for comparison.
QImage Reference(QSize cell, const QImage& image, const TCellRect& at)
{
    QImage ref(cell, QImage::Format_ARGB32_Premultiplied);
    ref.fill(Qt::transparent);
    QPainter p(&ref);
    p.setRenderHint(QPainter::SmoothPixmapTransform, at.Width() != image.width());
    p.drawImage(QRect(at.left, at.top, at.Width(), at.Height()), image);
    return ref;
}

// The share of the reference's opaque pixels that the shot shows (within a small tolerance).
double MatchingShare(const QImage& shot, const QRect& cell, const QImage& ref)
{
    int opaque = 0, matching = 0;
    for (int y = 0; y < ref.height(); ++y)
        for (int x = 0; x < ref.width(); ++x) {
            const QColor want = ref.pixelColor(x, y);
            if (want.alpha() != 255) continue;
            ++opaque;
            if (test::Near(shot.pixelColor(cell.left() + x, cell.top() + y), want, 10)) ++matching;
        }
    return opaque == 0 ? 0.0 : double(matching) / opaque;
}

class DemoStationScreen : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
    void SetUp() override
    {
        FreeSysService();
        FreeFactoryManager();
        RegisterCoreServices(home.str());
        auto user = std::make_shared<TLoginUserInfo>();
        user->StationID = kStation;
        GetSysInfo()->setLoginUserInfo(user);
        jcon.SetURLHost(station.BaseURL());
        ASSERT_NO_THROW(test::StaffLogin(jcon));
        SetSeatPlanConnection(&jcon);
        TSeatPictureCache::Instance().Clear();
    }
    void TearDown() override
    {
        SetSeatPlanConnection(nullptr);
        TSeatPictureCache::Instance().Clear();
        FreeSysService();
        FreeFactoryManager();
    }

    test::TempFolder home;
    static std::string Stationd()
    {
        const char* bin = std::getenv("KIOSK_BIN_DIR");
        return std::string(bin ? bin : "bin") + "/stationd";
    }

    test::StationProcess station{Stationd(), home.path()};
    TjsonConnection jcon;
};

TEST_F(DemoStationScreen, CheckViewOfK0830ShowsCheckedOverlaysAndFreeSeatPictures)
{
    TSeatPicHelp help(&jcon);
    help.qrySeatstatus(kK0830, false);
    ASSERT_EQ(help.seatsStatus->size(), 45u);

    // The check screen's seat panel: disabled, the view filling it.
    QWidget panel;
    QFont font("Noto Sans CJK SC");
    font.setPixelSize(14);
    panel.setFont(font);
    panel.resize(1000, 540);
    panel.setEnabled(false);
    TSeatPlanChecked view(&panel);
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
    view.resize(panel.size());
    panel.show();
    QApplication::processEvents();

    const QImage shot = view.grab().toImage();
    ASSERT_TRUE(shot.save(QString::fromStdString((std::filesystem::current_path() / "seatplan_k0830.png").string())));

    auto& cache = TSeatPictureCache::Instance();
    const QSize cellSize(95, 100);
    const TCellRect cellBox{0, 0, 95, 100};
    const int band = QFontMetrics(view.font()).height() * view.CellBottomlinenum();

    // The disabled panel does not grey the grid: an empty cell after seat 45 is white.
    EXPECT_EQ(shot.pixelColor(view.CellRect(8, 5).center()), QColor(Qt::white));

    // Seat 1 is checked ("7"): its overlay sits in the top-right quarter.
    ASSERT_EQ((*help.seatsStatus)[1], "7");
    const QImage* checked = cache.Overlay(TSeatPicture::OfSeatStatus("7"));
    ASSERT_NE(checked, nullptr);
    const QImage overlay =
        Reference(cellSize, *checked, StatusPictureRect(cellBox, checked->width(), checked->height(), TStatusPicturePosition::sprighttop));
    EXPECT_GT(MatchingShare(shot, view.CellRect(1, 1), overlay), 0.9);
    // Seat 20 is sold but not checked: no such overlay.
    ASSERT_EQ((*help.seatsStatus)[20], "2");
    EXPECT_LT(MatchingShare(shot, view.CellRect(10, 2), overlay), 0.5);

    // Seat 37 has no ticket ("0"): the state "0" picture.
    ASSERT_EQ((*help.seatsStatus)[37], "0");
    const QImage* free = cache.Picture(TSeatPicture::OfSeatStatus("0"));
    ASSERT_NE(free, nullptr);
    const QImage freeRef = Reference(cellSize, *free, FitPicture(cellBox, band, free->width(), free->height()));
    EXPECT_GT(MatchingShare(shot, view.CellRect(7, 4), freeRef), 0.9);
}

} // namespace
} // namespace kiosk
