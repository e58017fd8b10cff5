#include "seatplan/view/seatplanselect.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "seatplan/view/eventguard_p.h"
#include "seatplan/view/seatpicturecache.h"

namespace kiosk {

namespace {

void GreyOut(QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            const int grey = GreyLevel(std::uint8_t(qRed(p)), std::uint8_t(qGreen(p)), std::uint8_t(qBlue(p)));
            line[x] = qRgba(grey, grey, grey, qAlpha(p));
        }
    }
}

} // namespace

TSeatPlanSelect::TSeatPlanSelect(QWidget* parent)
    : TSeatPlanSelect(std::make_unique<TSeatPlanSelectModel>(TSeatPictureCache::Instance().keys()), parent)
{
}

TSeatPlanSelect::TSeatPlanSelect(std::unique_ptr<TSeatPlanSelectModel> model, QWidget* parent)
    : TSeatPlan(std::move(model), parent)
{
}

void TSeatPlanSelect::setSeatstype(TSeatDictPtr value)
{
    model().setSeatstype(std::move(value));
    repaintIfVisible();
}

void TSeatPlanSelect::setSeatscolor(TSeatDictPtr value)
{
    model().setSeatscolor(std::move(value));
    repaintIfVisible();
}

void TSeatPlanSelect::setSeatsreachstationname(TSeatDictPtr value)
{
    model().setSeatsreachstationname(std::move(value));
    repaintIfVisible();
}

void TSeatPlanSelect::setLayerMask(bool value)
{
    model().setLayerMask(value);
    repaintIfVisible();
}

void TSeatPlanSelect::DrawCell(QPainter& painter, int col, int row, const QRect& rect, bool focused)
{
    GuardPaint([&] {
        if (!model().layerMask() || model().canSelectSeat(row, col)) {
            drawSeatCell(painter, col, row, rect, focused);
            return;
        }
        // Draw the cell apart, then paint it back through the grey matrix.
        QImage cell(rect.size(), QImage::Format_ARGB32);
        cell.fill(Qt::transparent);
        {
            QPainter apart(&cell);
            apart.translate(-rect.topLeft());
            drawSeatCell(apart, col, row, rect, focused);
        }
        GreyOut(cell);
        painter.drawImage(rect.topLeft(), cell);
    });
}

void TSeatPlanSelect::mousePressEvent(QMouseEvent* event)
{
    TSeatPlan::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const QPoint cell = MouseCoord(event->position().toPoint());
    if (cell.x() != Col() || cell.y() != Row()) return;
    GuardInput([&] { toggleSeat(Col(), Row()); });
}

void TSeatPlanSelect::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Space) {
        TSeatPlan::keyPressEvent(event);
        return;
    }
    event->accept();
    if (Col() >= 1 && Row() >= 1 && Col() < ColCount() && Row() < RowCount()) GuardInput([&] { toggleSeat(Col(), Row()); });
}

} // namespace kiosk
