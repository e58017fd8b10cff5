#include "seatplan/seatplanselectmodel.h"

#include <algorithm>

#include "platform/textutil.h"
#include "seatplan/seatcodes_p.h"

namespace kiosk {

namespace {

bool Contains(const TStringList& list, const std::string& value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

TTextColor UncheckedTicketColor(const std::string* colortype)
{
    if (!colortype) return clBlack;
    if (*colortype == "1") return clBlue;
    if (*colortype == "3") return clRed;
    if (*colortype == "5") return clAquamarine;
    if (*colortype == "6") return clPurple;
    return clBlack;
}

} // namespace

// ---- limits ----

void TSeatPlanSelectModel::setSelectSeatStatus(TStringListPtr value)
{
    FselectSeatStatus = std::move(value);
    checkSelectedSeats();
}

void TSeatPlanSelectModel::setSelectSeatNum(std::uint16_t value)
{
    FselectSeatNum = value;
    checkSelectedSeats();
}

void TSeatPlanSelectModel::setSelectSeattype(std::string value)
{
    FselectSeattype = std::move(value);
    checkSelectedSeats();
}

void TSeatPlanSelectModel::setSelectedSeats(TSeatList value)
{
    FselectedSeats = std::move(value);
    invalidate();
    checkSelectedSeats();
}

void TSeatPlanSelectModel::raiseLineCount()
{
    if (Fseatsreachstationname && !Fseatsreachstationname->empty() && CellBottomlinenum() < 2) setCellBottomlinenum(2);
}

const TSeatDictPtr& TSeatPlanSelectModel::seatsreachstationname()
{
    if (!Fseatsreachstationname) Fseatsreachstationname = std::make_shared<TSeatDict>();
    raiseLineCount();
    return Fseatsreachstationname;
}

void TSeatPlanSelectModel::setSeatsreachstationname(TSeatDictPtr value)
{
    Fseatsreachstationname = std::move(value);
    raiseLineCount();
}

int TSeatPlanSelectModel::textBandLines()
{
    // The loader refills the destinations in place, so look again at every drawing.
    raiseLineCount();
    return CellBottomlinenum();
}

// ---- which seats may be selected ----

bool TSeatPlanSelectModel::canSelectSeat(int row, int col) const
{
    const TSeatNo seatno = getSeatNo(row, col);
    if (seatno == 0) return false;
    if (!Trim(FselectSeattype).empty()) {
        const std::string* type = EntryOf(Fseatstype, seatno);
        if (!type || *type != FselectSeattype) return false;
    }
    if (FselectSeatStatus && getSeatsStatus()) {
        const std::string* state = stateOf(seatno);
        if (!state || !Contains(*FselectSeatStatus, *state)) return false;
    }
    return true;
}

bool TSeatPlanSelectModel::canTestStateAndType() const
{
    return FselectSeatStatus && Fseatstype && getSeatsStatus();
}

bool TSeatPlanSelectModel::passesStateAndType(TSeatNo seatno) const
{
    const std::string* state = stateOf(seatno);
    if (!state || !FselectSeatStatus || !Contains(*FselectSeatStatus, *state)) return false;
    if (Trim(FselectSeattype).empty()) return true;
    const std::string* type = EntryOf(Fseatstype, seatno);
    return type && *type == FselectSeattype;
}

bool TSeatPlanSelectModel::isSelected(TSeatNo seatno) const
{
    return std::find(FselectedSeats.begin(), FselectedSeats.end(), seatno) != FselectedSeats.end();
}

std::uint16_t TSeatPlanSelectModel::getCanSelectSeatNum() const
{
    if (!canTestStateAndType()) return 0;
    std::uint16_t count = 0;
    for (const auto& [seatno, state] : *getSeatsStatus())
        if (passesStateAndType(seatno)) ++count;
    return count;
}

std::vector<TSeatList> TSeatPlanSelectModel::freeSeatRuns() const
{
    std::vector<TSeatList> runs;
    if (!getSeatsStatus()) return runs;
    TSeatList run;
    for (const auto& [seatno, state] : *getSeatsStatus()) {  // the map is in ascending order
        if (passesStateAndType(seatno)) {
            run.push_back(seatno);
        } else if (!run.empty()) {
            runs.push_back(std::move(run));
            run.clear();
        }
    }
    if (!run.empty()) runs.push_back(std::move(run));
    return runs;
}

// ---- the selection ----

void TSeatPlanSelectModel::selectionChanged()
{
    invalidate();
    if (FselectedSeats.size() == FselectSeatNum && FOnSelectComplete) FOnSelectComplete();
}

void TSeatPlanSelectModel::addSelected(TSeatNo seatno)
{
    FselectedSeats.push_back(seatno);
    selectionChanged();
}

void TSeatPlanSelectModel::removeSelectedAt(std::size_t index)
{
    FselectedSeats.erase(FselectedSeats.begin() + std::ptrdiff_t(index));
    selectionChanged();
}

bool TSeatPlanSelectModel::checkSelectedSeats()
{
    if (!FselectSeatStatus || FselectSeatNum == 0 || !Fseatstype || !getSeatsStatus() || FselectedSeats.empty()) return true;
    bool valid = true;
    for (std::size_t i = FselectedSeats.size(); i-- > 0;) {
        if (!passesStateAndType(FselectedSeats[i])) {
            removeSelectedAt(i);
            valid = false;
        }
    }
    while (FselectedSeats.size() > FselectSeatNum) removeSelectedAt(FselectedSeats.size() - 1);
    return valid;
}

bool TSeatPlanSelectModel::toggleSeat(int col, int row)
{
    if (!canSelectSeat(row, col) || !FallowSelectByHand) return false;
    const TSeatNo seatno = getSeatNo(row, col);
    bool changed = false;
    const auto it = std::find(FselectedSeats.begin(), FselectedSeats.end(), seatno);
    if (it != FselectedSeats.end()) {
        removeSelectedAt(std::size_t(it - FselectedSeats.begin()));
        changed = true;
    } else if (FselectedSeats.size() < FselectSeatNum) {
        addSelected(seatno);
        changed = true;
    }
    if (FOnSelectSeatno) FOnSelectSeatno(seatno);
    if (changed) invalidate();
    return changed;
}

bool TSeatPlanSelectModel::autoSelectSeats(bool isserial)
{
    if (!FselectSeatStatus || FselectSeatNum == 0 || !Fseatstype || !getSeatsStatus()) return false;
    while (!FselectedSeats.empty()) removeSelectedAt(FselectedSeats.size() - 1);

    const std::size_t wanted = FselectSeatNum;
    if (isserial) {
        const auto runs = freeSeatRuns();
        for (const auto& run : runs) {
            if (run.size() >= wanted - FselectedSeats.size()) {
                for (std::size_t i = 0; FselectedSeats.size() < wanted; ++i) addSelected(run[i]);
                break;
            }
        }
        if (FselectedSeats.size() == wanted) {
            invalidate();
            return true;
        }
        if (FselectedSeats.empty()) {
            for (const auto& run : runs)
                for (TSeatNo seatno : run) {
                    if (FselectedSeats.size() == wanted) break;
                    addSelected(seatno);
                }
        }
    } else {
        for (const auto& [seatno, state] : *getSeatsStatus()) {
            if (FselectedSeats.size() == wanted) break;
            if (passesStateAndType(seatno)) addSelected(seatno);
        }
    }
    if (FselectedSeats.size() < wanted) return false;
    invalidate();
    return true;
}

// ---- what a cell shows ----

TSeatPicture TSeatPlanSelectModel::getStatusPicture(int row, int col) const
{
    const TSeatNo seatno = getSeatNo(row, col);
    const bool selected = seatno != 0 && isSelected(seatno);
    if (selected && stateOf(seatno) && caches().HasSeatStatusPicture(seatcodes::kSelectedOverlay))
        return TSeatPicture::OfSeatStatus(seatcodes::kSelectedOverlay);
    TSeatPicture picture = TSeatPlanModel::getStatusPicture(row, col);
    if (!picture && selected) return TSeatPicture::OfCheckmark();
    return picture;
}

TCellText TSeatPlanSelectModel::getCellText(int col, int row)
{
    TCellText cell = TSeatPlanModel::getCellText(col, row);
    const TSeatNo seatno = getSeatNo(row, col);
    if (seatno == 0) return cell;
    const std::string* destination = EntryOf(Fseatsreachstationname, seatno);
    if (!cell.text.empty() && destination && !Trim(*destination).empty()) cell.text += "-" + *destination;
    const std::string* state = stateOf(seatno);
    if (state && *state == seatcodes::kUncheckedTicket && caches().HasSeatStatusPicture(seatcodes::kUncheckedTicket))
        cell.color = UncheckedTicketColor(EntryOf(Fseatscolor, seatno));
    return cell;
}

} // namespace kiosk
