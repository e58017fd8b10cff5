#include "seatplan/seatplanmodel.h"

#include <algorithm>

#include "platform/textutil.h"
#include "seatplan/seatcodes_p.h"

namespace kiosk {

using seatcodes::HasStateOverlay;
using seatcodes::IsStateWithoutTicket;

TVehiclespacePtr TSeatPlanCaches::FindVehiclespace(std::int64_t id) const
{
    if (!vehiclespacelist) return nullptr;
    for (const auto& space : *vehiclespacelist)
        if (space->id == id) return space;
    return nullptr;
}

bool TSeatPlanCaches::HasSeatStatusPicture(const std::string& status) const
{
    return seatstatuspicturemap && seatstatuspicturemap->count(status) != 0;
}

bool TSeatPlanCaches::HasTickettypePicture(const std::string& code) const
{
    return tickettypemap && tickettypemap->count(code) != 0;
}

bool TSeatPlanCaches::HasSpaceSoldPictures(std::int64_t spaceid) const
{
    return vehiclespacesoldpicturemap && vehiclespacesoldpicturemap->count(spaceid) != 0;
}

bool TSeatPlanCaches::HasSpaceSoldPicture(std::int64_t spaceid, const std::string& code) const
{
    if (!vehiclespacesoldpicturemap) return false;
    const auto space = vehiclespacesoldpicturemap->find(spaceid);
    return space != vehiclespacesoldpicturemap->end() && space->second.count(code) != 0;
}

TSeatPlanModel::TSeatPlanModel(std::shared_ptr<const TSeatPlanCaches> caches) : FCaches(std::move(caches))
{
    if (!FCaches) FCaches = std::make_shared<TSeatPlanCaches>();
    setBrandModelid(0);
}

void TSeatPlanModel::setDefaultcolcount(int value)
{
    Fdefaultcolcount = std::max(value, 2);
}

const std::string* TSeatPlanModel::EntryOf(const TSeatDictPtr& dict, TSeatNo seatno)
{
    if (!dict) return nullptr;
    const auto it = dict->find(seatno);
    return it == dict->end() ? nullptr : &it->second;
}

void TSeatPlanModel::invalidate() const
{
    if (FOnInvalidate) FOnInvalidate();
}

// ---- plan and layout ----

void TSeatPlanModel::setBrandModelid(std::int64_t value)
{
    std::vector<TSeatPlanDetailRow> rows;
    if (value > 0 && FPlanQuery) rows = FPlanQuery(value);
    loadPlan(value, rows);
}

void TSeatPlanModel::loadPlan(std::int64_t brandModelid, const std::vector<TSeatPlanDetailRow>& rows)
{
    FBrandModelid = brandModelid;
    Fvehicleseatplandetails.clear();
    if (brandModelid > 0) {
        FBrandModelSeatnum = 0;
        for (const auto& row : rows) {
            TVehicleseatplandetail detail;
            detail.id = row.id;
            detail.rowno = row.rowno;
            detail.colno = row.colno;
            detail.width = row.width;
            detail.height = row.height;
            detail.seatno = row.seatno;
            detail.remarks = row.remarks;
            detail.createby = row.createby;
            detail.createtime = row.createtime;
            detail.updateby = row.updateby;
            detail.updatetime = row.updatetime;
            detail.space = FCaches->FindVehiclespace(row.vehiclespaceid);
            if (detail.IsPassengerSeat()) ++FBrandModelSeatnum;
            Fvehicleseatplandetails.push_back(std::move(detail));
        }
    }
    layoutByPlan();
    layoutBySeatCount();
    dropMismatchedPlan();
}

void TSeatPlanModel::dropMismatchedPlan()
{
    if (hasSeatStates() && FBrandModelid > 0 && int(FseatsState->size()) != FBrandModelSeatnum) setBrandModelid(0);
}

void TSeatPlanModel::layoutByPlan()
{
    if (Fvehicleseatplandetails.empty()) {
        FRowHeights.assign(6, Fdefaultcellheight);
        FColWidths.assign(Fdefaultcolcount, Fdefaultcellwidth);
    } else {
        int rows = 0, cols = 0;
        for (const auto& d : Fvehicleseatplandetails) {
            rows = std::max(rows, d.rowno + 1);
            cols = std::max(cols, d.colno + 1);
        }
        FRowHeights.assign(rows, 0);
        FColWidths.assign(cols, 0);
        for (const auto& d : Fvehicleseatplandetails) {
            if (d.rowno > 0) FRowHeights[d.rowno] = std::max<int>(FRowHeights[d.rowno], d.height);
            if (d.colno > 0) FColWidths[d.colno] = std::max<int>(FColWidths[d.colno], d.width);
        }
        for (int r = 1; r < rows; ++r)
            if (FRowHeights[r] == 0) FRowHeights[r] = Fdefaultcellheight;
        for (int c = 1; c < cols; ++c)
            if (FColWidths[c] == 0) FColWidths[c] = Fdefaultcellwidth;
    }
    FRowHeights[0] = 0;
    FColWidths[0] = 0;
}

void TSeatPlanModel::layoutBySeatCount()
{
    if (!Fvehicleseatplandetails.empty() || !hasSeatStates()) return;
    const int n = int(FseatsState->size());
    const int perRow = Fdefaultcolcount - 1;
    const int rows = n / perRow + 1 + (n % perRow != 0 ? 1 : 0);
    FColWidths.assign(Fdefaultcolcount, Fdefaultcellwidth);
    FRowHeights.assign(rows, Fdefaultcellheight);
    FRowHeights[0] = 0;
    FColWidths[0] = 0;
}

void TSeatPlanModel::setSeatsStatus(TSeatDictPtr value)
{
    FseatsState = std::move(value);
    if (hasSeatStates()) {
        if (FOnSeatStatesGiven) FOnSeatStatesGiven();
        layoutBySeatCount();
    }
    dropMismatchedPlan();
}

const TSeatDictPtr& TSeatPlanModel::seatshint()
{
    if (!Fseatshint) Fseatshint = std::make_shared<TSeatDict>();
    return Fseatshint;
}

int TSeatPlanModel::getActualwidth() const
{
    int sum = 0;
    for (int w : FColWidths) sum += w;
    return sum + (ColCount() + 1) * GridLineWidth + 2 * BevelWidth;
}

int TSeatPlanModel::getActualheight() const
{
    int sum = 0;
    for (int h : FRowHeights) sum += h;
    return sum + (RowCount() + 1) * GridLineWidth + 2 * BevelWidth;
}

// ---- seat numbers ----

const TVehicleseatplandetail* TSeatPlanModel::getVehicleseatplandetail(int row, int col) const
{
    for (const auto& d : Fvehicleseatplandetails)
        if (d.rowno == row && d.colno == col) return &d;
    return nullptr;
}

TSeatNo TSeatPlanModel::seatNoWithoutPlan(int row, int col) const
{
    return static_cast<TSeatNo>((ColCount() - 1) * (row - 1) + col);
}

bool TSeatPlanModel::beyondKnownSeats(TSeatNo seatno) const
{
    return FseatsState && FseatsState->size() < seatno;
}

TSeatNo TSeatPlanModel::getSeatNo(int row, int col) const
{
    if (row <= 0 || col <= 0) return 0;
    TSeatNo seatno = 0;
    if (!Fvehicleseatplandetails.empty()) {
        const auto* detail = getVehicleseatplandetail(row, col);
        if (detail && detail->IsPassengerSeat()) seatno = detail->seatno;
    } else if (hasSeatStates()) {
        seatno = seatNoWithoutPlan(row, col);
    }
    return beyondKnownSeats(seatno) ? 0 : seatno;
}

std::string TSeatPlanModel::getSeatNoStr(int row, int col) const
{
    if (row <= 0 || col <= 0) return {};
    TSeatNo seatno = 0;
    std::string text;
    if (!Fvehicleseatplandetails.empty()) {
        const auto* detail = getVehicleseatplandetail(row, col);
        if (detail && detail->IsPassengerSeat()) {
            seatno = detail->seatno;
            text = Trim(detail->remarks).empty() ? IntToStr(seatno) : detail->remarks;
        }
    } else if (hasSeatStates()) {
        seatno = seatNoWithoutPlan(row, col);
        text = IntToStr(seatno);
    }
    return beyondKnownSeats(seatno) ? std::string() : text;
}

std::string TSeatPlanModel::getSeatNoStr(TSeatNo seatno) const
{
    if (seatno == 0) return {};
    for (const auto& d : Fvehicleseatplandetails)
        if (d.IsPassengerSeat() && d.seatno == seatno && !Trim(d.remarks).empty()) return d.remarks;
    return IntToStr(seatno);
}

std::optional<TGridCell> TSeatPlanModel::cellOfSeat(TSeatNo seatno) const
{
    if (seatno == 0) return std::nullopt;
    if (!Fvehicleseatplandetails.empty()) {
        for (const auto& d : Fvehicleseatplandetails)
            if (d.IsPassengerSeat() && d.seatno == seatno) return TGridCell{d.colno, d.rowno};
        return std::nullopt;
    }
    if (!hasSeatStates()) return std::nullopt;
    const int perRow = ColCount() - 1;
    const TGridCell cell{(seatno - 1) % perRow + 1, (seatno - 1) / perRow + 1};
    // A seat beyond the grid or beyond the known seats is not on the plan.
    if (cell.row >= RowCount() || getSeatNo(cell.row, cell.col) != seatno) return std::nullopt;
    return cell;
}

std::string TSeatPlanModel::hintOf(int row, int col)
{
    const TSeatNo seatno = getSeatNo(row, col);
    if (seatno == 0) return {};
    const std::string* hint = EntryOf(Fseatshint, seatno);
    return hint ? *hint : std::string();
}

// ---- what a cell shows ----

TCellText TSeatPlanModel::getCellText(int col, int row)
{
    std::string prefix;
    if (Fshowspacename && !Fvehicleseatplandetails.empty()) {
        const auto* detail = getVehicleseatplandetail(row, col);
        if (detail && detail->space) prefix = detail->space->name + " ";
    }
    const std::string label = getSeatNoStr(row, col);
    if (label.empty()) return {};
    return {prefix + label, clBlack};
}

TSeatPicture TSeatPlanModel::getSpacePicture(int row, int col) const
{
    if (row <= 0 || col <= 0) return {};
    const TSeatPlanCaches& c = *FCaches;
    if (!Fvehicleseatplandetails.empty()) {
        const auto* detail = getVehicleseatplandetail(row, col);
        if (!detail || !detail->space) return {};
        if (detail->IsPassengerSeat() && stateOf(detail->seatno)) {
            // A space with sold pictures of its own shows them only: a ticket type it has none
            // for leaves the space's own picture, not the ticket type's.
            if (const std::string* type = EntryOf(FseatsTickettype, detail->seatno)) {
                if (c.HasSpaceSoldPictures(detail->space->id)) {
                    if (c.HasSpaceSoldPicture(detail->space->id, *type))
                        return TSeatPicture::OfSpaceSold(detail->space->id, *type);
                } else if (c.HasTickettypePicture(*type)) {
                    return TSeatPicture::OfTickettype(*type);
                }
            }
        }
        if (c.spacepictures.count(detail->space->id) != 0) return TSeatPicture::OfSpace(detail->space->id);
        return {};
    }
    const TSeatNo seatno = getSeatNo(row, col);
    if (seatno == 0) return {};
    const std::string* state = stateOf(seatno);
    if (state && IsStateWithoutTicket(*state))
        return c.HasSeatStatusPicture(seatcodes::kNoTicket) ? TSeatPicture::OfSeatStatus(seatcodes::kNoTicket) : TSeatPicture{};
    const std::string* type = EntryOf(FseatsTickettype, seatno);
    if (type && c.HasTickettypePicture(*type)) return TSeatPicture::OfTickettype(*type);
    return {};
}

TSeatPicture TSeatPlanModel::getStatusPicture(int row, int col) const
{
    const TSeatNo seatno = getSeatNo(row, col);
    if (seatno == 0) return {};
    const std::string* state = stateOf(seatno);
    if (state && HasStateOverlay(*state) && FCaches->HasSeatStatusPicture(*state))
        return TSeatPicture::OfSeatStatus(*state);
    return {};
}

} // namespace kiosk
