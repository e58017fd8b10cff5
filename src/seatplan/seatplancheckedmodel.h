#pragma once
// TSeatPlanCheckedModel: the check state of a schedule's seats. Checked seats get their own
// overlay and text colours, each seat knows the ticket numbers sold on it, and touching or
// double-clicking a seat tells the owner whether it was checked.
#include <functional>
#include <optional>
#include <string>

#include "seatplan/seatplanselectmodel.h"

namespace kiosk {

class TSeatPlanCheckedModel : public TSeatPlanSelectModel {
public:
    // `afterChecked` starts false; a handler that sets it to something other than
    // `beforChecked` makes the view repaint.
    using TSeatSelectEvent =
        std::function<void(TSeatNo seatno, const std::string& ticketno, bool beforChecked, bool& afterChecked)>;

    using TSeatPlanSelectModel::TSeatPlanSelectModel;

    void setOnSelectSeat(TSeatSelectEvent handler) { FOnSelectSeat = std::move(handler); }
    void setOnDbClickSeat(TSeatSelectEvent handler) { FOnDbClickSeat = std::move(handler); }

    // Created empty on first read.
    const TSeatDictPtr& seatsticketno();
    void setSeatsticketno(TSeatDictPtr value) { Fseatsticketno = std::move(value); }

    bool isCheckedSeat(int row, int col) const;
    // Touching a seat raises OnSelectSeat; it never selects. Always true.
    bool toggleSeat(int col, int row) override;
    // Double-clicking a seat raises OnDbClickSeat.
    void dblClickSeat(int col, int row);
    // The first seat whose whole ticket-number entry is `ticketno`.
    std::optional<TSeatNo> seatOfTicket(const std::string& ticketno) const;

    TSeatPicture getStatusPicture(int row, int col) const override;
    TCellText getCellText(int col, int row) override;

private:
    void raiseSeatEvent(const TSeatSelectEvent& handler, TSeatNo seatno);

    TSeatSelectEvent FOnSelectSeat;
    TSeatSelectEvent FOnDbClickSeat;
    TSeatDictPtr Fseatsticketno;
};

} // namespace kiosk
