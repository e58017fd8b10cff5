#pragma once
// TSeatPlanModel: what the seat plan grid shows, without drawing it. Seat numbers of the cells,
// the layout (by a brand model's floor plan or by seat count), the drop of a plan that does not
// match the seat states, the cell texts and which cached picture and overlay a cell gets.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "seatplan/seattypes.h"

namespace kiosk {

class TSeatPlanModel {
public:
    // Where the plan of a brand model comes from (base/findVehicleseatplandetail); without one a
    // brand model has an empty plan.
    using TPlanQuery = std::function<std::vector<TSeatPlanDetailRow>(std::int64_t brandModelid)>;

    // `caches`: the process-wide picture caches (keys only) and vehicle spaces.
    explicit TSeatPlanModel(std::shared_ptr<const TSeatPlanCaches> caches);
    virtual ~TSeatPlanModel() = default;
    TSeatPlanModel(const TSeatPlanModel&) = delete;
    TSeatPlanModel& operator=(const TSeatPlanModel&) = delete;

    void setPlanQuery(TPlanQuery query) { FPlanQuery = std::move(query); }
    // Raised when a non-empty seat-state dictionary is set: the moment the picture caches of
    // ticket types, sold spaces and seat states are loaded.
    void setOnSeatStatesGiven(std::function<void()> handler) { FOnSeatStatesGiven = std::move(handler); }
    // Raised when what the cells show changed outside of a layout (the view repaints).
    void setOnInvalidate(std::function<void()> handler) { FOnInvalidate = std::move(handler); }

    // The brand model whose plan is shown; 0 = the seat-number layout. Setting it queries the
    // plan and lays the grid out; a plan whose passenger seats differ in number from the seat
    // states is dropped for the seat-number layout.
    void setBrandModelid(std::int64_t value);
    std::int64_t getBrandModelid() const { return FBrandModelid; }
    // The plan step of setBrandModelid with the plan's rows at hand.
    void loadPlan(std::int64_t brandModelid, const std::vector<TSeatPlanDetailRow>& rows);
    int brandModelSeatnum() const { return FBrandModelSeatnum; }
    const std::vector<TVehicleseatplandetail>& vehicleseatplandetails() const { return Fvehicleseatplandetails; }

    void setSeatsStatus(TSeatDictPtr value);
    const TSeatDictPtr& getSeatsStatus() const { return FseatsState; }
    void setSeatsTickettype(TSeatDictPtr value) { FseatsTickettype = std::move(value); }
    const TSeatDictPtr& getSeatsTickettype() const { return FseatsTickettype; }
    // Created empty on first read.
    const TSeatDictPtr& seatshint();
    void setSeatshint(TSeatDictPtr value) { Fseatshint = std::move(value); }

    bool showspacepicture() const { return Fshowspacepicture; }
    void setShowspacepicture(bool value) { Fshowspacepicture = value; }
    bool showspacename() const { return Fshowspacename; }
    void setShowspacename(bool value) { Fshowspacename = value; }

    // Take effect at the next layout (a plan load or a seat-state assignment).
    int defaultcellwidth() const { return Fdefaultcellwidth; }
    void setDefaultcellwidth(int value) { Fdefaultcellwidth = value; }
    int defaultcellheight() const { return Fdefaultcellheight; }
    void setDefaultcellheight(int value) { Fdefaultcellheight = value; }
    int defaultcolcount() const { return Fdefaultcolcount; }
    // At least 2: column 0 is the hidden fixed one and the numbering divides by the others.
    void setDefaultcolcount(int value);

    TStatusPicturePosition StatusPicturePosition() const { return FStatusPicturePosition; }
    void setStatusPicturePosition(TStatusPicturePosition value) { FStatusPicturePosition = value; }
    int CellBottomlinenum() const { return FCellBottomlinenum; }
    void setCellBottomlinenum(int value) { FCellBottomlinenum = value; }
    // Text lines the cells reserve at the bottom when drawn.
    virtual int textBandLines() { return FCellBottomlinenum; }

    bool isLocateTriggerSelectEvent() const { return FisLocateTriggerSelectEvent; }
    void setLocateTriggerSelectEvent(bool value) { FisLocateTriggerSelectEvent = value; }

    // Layout: row 0 and column 0 are fixed and zero-sized.
    int RowCount() const { return int(FRowHeights.size()); }
    int ColCount() const { return int(FColWidths.size()); }
    int ColWidth(int col) const { return FColWidths.at(col); }
    int RowHeight(int row) const { return FRowHeights.at(row); }
    static constexpr int GridLineWidth = 1;
    static constexpr int BevelWidth = 1;
    // Pixel size the grid needs: all columns (rows) + (count + 1) grid lines + 2 bevels.
    int getActualwidth() const;
    int getActualheight() const;

    TSeatNo getSeatNo(int row, int col) const;
    std::string getSeatNoStr(TSeatNo seatno) const;
    std::string getSeatNoStr(int row, int col) const;
    const TVehicleseatplandetail* getVehicleseatplandetail(int row, int col) const;
    // The cell of a seat for locateBySeatNo; none for seat 0 and for seats not on the grid.
    std::optional<TGridCell> cellOfSeat(TSeatNo seatno) const;
    // The hint of the cell's seat, empty for none.
    std::string hintOf(int row, int col);

    // The overridable cell operations, in drawing order.
    virtual TSeatPicture getSpacePicture(int row, int col) const;
    virtual TSeatPicture getStatusPicture(int row, int col) const;
    virtual TCellText getCellText(int col, int row);

protected:
    const TSeatPlanCaches& caches() const { return *FCaches; }
    // The seat's entry of a dictionary, or none (also when the dictionary is not set).
    static const std::string* EntryOf(const TSeatDictPtr& dict, TSeatNo seatno);
    const std::string* stateOf(TSeatNo seatno) const { return EntryOf(FseatsState, seatno); }
    bool hasSeatStates() const { return FseatsState && !FseatsState->empty(); }
    void invalidate() const;

private:
    void layoutByPlan();
    void layoutBySeatCount();
    void dropMismatchedPlan();
    TSeatNo seatNoWithoutPlan(int row, int col) const;
    bool beyondKnownSeats(TSeatNo seatno) const;

    std::shared_ptr<const TSeatPlanCaches> FCaches;
    TPlanQuery FPlanQuery;
    std::function<void()> FOnSeatStatesGiven;
    std::function<void()> FOnInvalidate;

    std::int64_t FBrandModelid = 0;
    int FBrandModelSeatnum = 0;
    std::vector<TVehicleseatplandetail> Fvehicleseatplandetails;
    bool Fshowspacepicture = true;
    bool Fshowspacename = true;
    TSeatDictPtr FseatsState;
    TSeatDictPtr FseatsTickettype;
    int Fdefaultcellwidth = 48;
    int Fdefaultcellheight = 55;
    int Fdefaultcolcount = 12;
    TSeatDictPtr Fseatshint;
    TStatusPicturePosition FStatusPicturePosition = TStatusPicturePosition::sprighttop;
    int FCellBottomlinenum = 1;
    bool FisLocateTriggerSelectEvent = true;

    std::vector<int> FColWidths;
    std::vector<int> FRowHeights;
};

} // namespace kiosk
