#pragma once
// TSeatPlanSelectModel: the seat plan with a selection. Seats are picked by hand or
// automatically within limits (how many, which states, which seat type); the seat text carries
// the destination and a colour by colour type.
#include <functional>
#include <vector>

#include "seatplan/seatplanmodel.h"

namespace kiosk {

class TSeatPlanSelectModel : public TSeatPlanModel {
public:
    using TSeatOnSelectEvent = std::function<void(TSeatNo seatno)>;
    using TNotifyEvent = std::function<void()>;

    using TSeatPlanModel::TSeatPlanModel;

    void setOnSelectSeatno(TSeatOnSelectEvent handler) { FOnSelectSeatno = std::move(handler); }
    void setOnSelectComplete(TNotifyEvent handler) { FOnSelectComplete = std::move(handler); }

    // The four setters below re-validate the selection.
    const TStringListPtr& selectSeatStatus() const { return FselectSeatStatus; }
    void setSelectSeatStatus(TStringListPtr value);
    std::uint16_t selectSeatNum() const { return FselectSeatNum; }
    void setSelectSeatNum(std::uint16_t value);
    const std::string& selectSeattype() const { return FselectSeattype; }
    void setSelectSeattype(std::string value);
    const TSeatList& selectedSeats() const { return FselectedSeats; }
    void setSelectedSeats(TSeatList value);

    bool layerMask() const { return FLayerMask; }
    void setLayerMask(bool value) { FLayerMask = value; }
    const TSeatDictPtr& seatstype() const { return Fseatstype; }
    void setSeatstype(TSeatDictPtr value) { Fseatstype = std::move(value); }
    const TSeatDictPtr& seatscolor() const { return Fseatscolor; }
    void setSeatscolor(TSeatDictPtr value) { Fseatscolor = std::move(value); }
    // Created empty on first read. Reading or setting it reserves two text lines when it has
    // entries (the destination goes on a second line).
    const TSeatDictPtr& seatsreachstationname();
    void setSeatsreachstationname(TSeatDictPtr value);
    bool allowSelectByHand() const { return FallowSelectByHand; }
    void setAllowSelectByHand(bool value) { FallowSelectByHand = value; }

    int textBandLines() override;

    bool canSelectSeat(int row, int col) const;
    bool isSelected(TSeatNo seatno) const;
    // Drops the selected seats that may not be selected, then those beyond selectSeatNum;
    // false when a seat had to go for its state or type.
    bool checkSelectedSeats();
    // A hand selection on a cell (mouse press or space bar); true when the selection changed.
    virtual bool toggleSeat(int col, int row);
    bool autoSelectSeats(bool isserial);
    std::uint16_t getCanSelectSeatNum() const;
    // The seats of the state dictionary in ascending order, cut into runs of seats that may be
    // selected; a seat that may not ends a run.
    std::vector<TSeatList> freeSeatRuns() const;

    TSeatPicture getStatusPicture(int row, int col) const override;
    TCellText getCellText(int col, int row) override;

protected:
    bool passesStateAndType(TSeatNo seatno) const;
    bool canTestStateAndType() const;

private:
    void raiseLineCount();
    void addSelected(TSeatNo seatno);
    void removeSelectedAt(std::size_t index);
    void selectionChanged();

    TSeatOnSelectEvent FOnSelectSeatno;
    TStringListPtr FselectSeatStatus;
    std::uint16_t FselectSeatNum = 0;
    std::string FselectSeattype;
    TSeatList FselectedSeats;
    TNotifyEvent FOnSelectComplete;
    bool FLayerMask = false;
    TSeatDictPtr Fseatstype;
    TSeatDictPtr Fseatscolor;
    TSeatDictPtr Fseatsreachstationname;
    bool FallowSelectByHand = true;
};

} // namespace kiosk
