#pragma once
// TSeatPlanSelect: the seat plan on which seats are picked by touch, mouse or space bar, or
// automatically, within limits (how many seats, which states, which seat type). It colours the
// seat text by colour type and can grey out the seats that cannot be picked.
#include "seatplan/seatplanselectmodel.h"
#include "seatplan/view/seatplan.h"

namespace kiosk {

class TSeatPlanSelect : public TSeatPlan {
    Q_OBJECT
public:
    explicit TSeatPlanSelect(QWidget* parent = nullptr);

    void setOnSelectSeatno(TSeatPlanSelectModel::TSeatOnSelectEvent handler) { model().setOnSelectSeatno(std::move(handler)); }
    void setOnSelectComplete(TSeatPlanSelectModel::TNotifyEvent handler) { model().setOnSelectComplete(std::move(handler)); }
    const TStringListPtr& selectSeatStatus() const { return model().selectSeatStatus(); }
    void setSelectSeatStatus(TStringListPtr value) { model().setSelectSeatStatus(std::move(value)); }
    std::uint16_t selectSeatNum() const { return model().selectSeatNum(); }
    void setSelectSeatNum(std::uint16_t value) { model().setSelectSeatNum(value); }
    const std::string& selectSeattype() const { return model().selectSeattype(); }
    void setSelectSeattype(std::string value) { model().setSelectSeattype(std::move(value)); }
    const TSeatList& selectedSeats() const { return model().selectedSeats(); }
    void setSelectedSeats(TSeatList value) { model().setSelectedSeats(std::move(value)); }
    const TSeatDictPtr& seatstype() const { return model().seatstype(); }
    void setSeatstype(TSeatDictPtr value);
    const TSeatDictPtr& seatscolor() const { return model().seatscolor(); }
    void setSeatscolor(TSeatDictPtr value);
    const TSeatDictPtr& seatsreachstationname() { return model().seatsreachstationname(); }
    void setSeatsreachstationname(TSeatDictPtr value);
    bool allowSelectByHand() const { return model().allowSelectByHand(); }
    void setAllowSelectByHand(bool value) { model().setAllowSelectByHand(value); }
    bool layerMask() const { return model().layerMask(); }
    void setLayerMask(bool value);

    bool autoSelectSeats(bool isserial) { return model().autoSelectSeats(isserial); }
    std::uint16_t getCanSelectSeatNum() const { return model().getCanSelectSeatNum(); }

    TSeatPlanSelectModel& model() { return static_cast<TSeatPlanSelectModel&>(TSeatPlan::model()); }
    const TSeatPlanSelectModel& model() const { return static_cast<const TSeatPlanSelectModel&>(TSeatPlan::model()); }

protected:
    TSeatPlanSelect(std::unique_ptr<TSeatPlanSelectModel> model, QWidget* parent);

    // A cell that cannot be picked is greyed while the layer mask is on.
    bool greyedCell(int col, int row) override { return model().layerMask() && !model().canSelectSeat(row, col); }
    // A left press toggles the cell that became current; the space bar the current cell.
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // A hand selection on a cell.
    virtual bool toggleSeat(int col, int row) { return model().toggleSeat(col, row); }
};

} // namespace kiosk
