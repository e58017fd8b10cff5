#include "seatplan/view/seatplanchecked.h"

#include <QMouseEvent>

#include "seatplan/view/eventguard_p.h"
#include "seatplan/view/seatpicturecache.h"

namespace kiosk {

TSeatPlanChecked::TSeatPlanChecked(QWidget* parent)
    : TSeatPlanSelect(std::make_unique<TSeatPlanCheckedModel>(TSeatPictureCache::Instance().keys()), parent)
{
}

bool TSeatPlanChecked::locateByTicketNo(const std::string& ticketno, bool triggerSelectEvent)
{
    const auto seatno = model().seatOfTicket(ticketno);
    return seatno && locateBySeatNo(*seatno, triggerSelectEvent);
}

void TSeatPlanChecked::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint cell = MouseCoord(event->position().toPoint());
    GuardInput([&] { model().dblClickSeat(cell.x(), cell.y()); });
    TSeatPlanSelect::mouseDoubleClickEvent(event);
}

} // namespace kiosk
