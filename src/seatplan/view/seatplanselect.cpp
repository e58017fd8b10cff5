#include "seatplan/view/seatplanselect.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "seatplan/view/eventguard_p.h"
#include "seatplan/view/seatpicturecache.h"

namespace kiosk {

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
