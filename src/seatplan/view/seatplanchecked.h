#pragma once
// TSeatPlanChecked: the check state of a schedule's seats. Checked seats get their own overlay
// and text colours, each seat knows the ticket numbers sold on it, and touching or
// double-clicking a seat raises an event telling the owner whether the seat was checked.
//
// The ticket check screen creates one, hands it the dictionaries of its TSeatPicHelp (shared,
// refilled in place by every qrySeatstatus) and, after every load, sets brandModelid 0, shows
// and repaints it.
#include "seatplan/seatplancheckedmodel.h"
#include "seatplan/view/seatplanselect.h"

namespace kiosk {

class TSeatPlanChecked : public TSeatPlanSelect {
    Q_OBJECT
public:
    explicit TSeatPlanChecked(QWidget* parent = nullptr);

    void setOnSelectSeat(TSeatPlanCheckedModel::TSeatSelectEvent handler) { model().setOnSelectSeat(std::move(handler)); }
    void setOnDbClickSeat(TSeatPlanCheckedModel::TSeatSelectEvent handler) { model().setOnDbClickSeat(std::move(handler)); }
    const TSeatDictPtr& seatsticketno() { return model().seatsticketno(); }
    void setSeatsticketno(TSeatDictPtr value) { model().setSeatsticketno(std::move(value)); }

    bool isCheckedSeat(int row, int col) const { return model().isCheckedSeat(row, col); }
    // Locates the first seat whose whole ticket-number entry is `ticketno`.
    bool locateByTicketNo(const std::string& ticketno, bool triggerSelectEvent);

    TSeatPlanCheckedModel& model() { return static_cast<TSeatPlanCheckedModel&>(TSeatPlan::model()); }
    const TSeatPlanCheckedModel& model() const { return static_cast<const TSeatPlanCheckedModel&>(TSeatPlan::model()); }

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

} // namespace kiosk
