// Repainting the check view of a 110-seat coach on a 1600 × 900 screen: every frame draws the
// visible cells with their scaled sold pictures, state overlays and fitted two-line texts.
// BM_CheckViewRepaint110 repaints the whole view; BM_CheckViewAfterCheck checks one more seat
// (its state and overlay change, as after a check) and repaints what changed. Runs on the
// offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QPainter>

#include "seatplan/seatpichelp.h"
#include "seatplan/view/seatpicturecache.h"
#include "seatplan/view/seatplanchecked.h"

namespace {

using namespace kiosk;

std::string Hex(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes.toHex().toStdString();
}

QImage Picture(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setBrush(colour);
    p.drawRoundedRect(QRect(w / 8, h / 8, w * 3 / 4, h * 3 / 4), 8, 8);
    return image;
}

// Sold pictures of 200 × 100 (drawn scaled to the cell), 64 × 64 state overlays (always scaled
// into their quarter), a 60 × 60 picture for seats without ticket.
void FillPictures()
{
    auto& cache = TSeatPictureCache::Instance();
    cache.Clear();
    cache.FillVehiclespaces({});
    cache.FillSeatStatusPictures({{"0", Hex(Picture(60, 60, Qt::lightGray), "BMP")},
                                  {"2", Hex(Picture(16, 16, Qt::white), "BMP")},
                                  {"7", Hex(Picture(64, 64, Qt::darkGreen), "BMP")},
                                  {"8", Hex(Picture(64, 64, Qt::blue), "BMP")}});
    cache.FillTickettypes({{"Q", Hex(Picture(200, 100, QColor(47, 111, 208)), "JPEG")},
                           {"B", Hex(Picture(200, 100, QColor(47, 160, 79)), "JPEG")},
                           {"X", Hex(Picture(200, 100, QColor(138, 79, 208)), "JPEG")}});
    cache.FillSpaceSoldPictures({{1, "Q", Hex(Picture(8, 8, Qt::red), "JPEG")}});
}

// 110 seats: 1-80 sold (every third checked), 81-110 free; destinations on every sold seat.
void FillSeats(TSeatPicHelp& help)
{
    std::vector<TSeatStatusRow> rows;
    const char* types[] = {"Q", "B", "X"};
    const char* towns[] = {"韶关", "英德", "清远", "广州东站"};
    for (int n = 1; n <= 110; ++n) {
        TSeatStatusRow r;
        r.seatno = n;
        r.seattype = "1";
        if (n <= 80) {
            const bool checked = n % 3 == 0;
            r.status = checked ? (n % 2 ? "7" : "8") : "2";
            r.ischecked = checked;
            r.tickettype = types[n % 3];
            r.ticketno = "00" + std::to_string(10000 + n);
            r.seatinfo = towns[n % 4];
            r.colortype = std::to_string(n % 7);
            r.departstationid = 101;
        } else {
            r.status = "0";
            r.ticketno = "0";
        }
        rows.push_back(r);
    }
    help.FillSeatStatus(rows, 101, false);
}

// The check screen's seat view on its disabled panel, shown.
struct CheckView {
    explicit CheckView(TSeatPicHelp& help);
    QWidget panel;
    TSeatPlanChecked view{&panel};
};

CheckView::CheckView(TSeatPicHelp& help)
{
    QFont font("Noto Sans CJK SC");
    font.setPixelSize(14);
    panel.setFont(font);
    panel.resize(1600, 900);
    panel.setEnabled(false);
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
}

void BM_CheckViewRepaint110(benchmark::State& state)
{
    FillPictures();
    TSeatPicHelp help;
    FillSeats(help);
    CheckView check(help);
    TSeatPlanChecked& view = check.view;

    QImage frame(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&frame);
        view.PaintCells(painter, frame.rect());
        painter.end();
        benchmark::DoNotOptimize(frame.constBits());
    }
    state.counters["cells"] = double((view.ColCount() - 1) * (view.RowCount() - 1));
    TSeatPictureCache::Instance().Clear();
}
BENCHMARK(BM_CheckViewRepaint110)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_CheckViewAfterCheck(benchmark::State& state)
{
    FillPictures();
    TSeatPicHelp help;
    FillSeats(help);
    CheckView check(help);
    int seat = 1;
    for (auto _ : state) {
        // One unchecked seat becomes checked (or back), as the refilled dictionaries say.
        seat = seat % 80 + 1;
        auto& status = (*help.seatsStatus)[TSeatNo(seat)];
        status = status == "2" ? "7" : "2";
        check.view.repaintChangedCells();
        QApplication::processEvents();
    }
    TSeatPictureCache::Instance().Clear();
}
BENCHMARK(BM_CheckViewAfterCheck)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
