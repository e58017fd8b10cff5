#include "seatplan/seatplancheckedmodel.h"

#include "seatplan/seatcodes_p.h"

namespace kiosk {

namespace {

TTextColor CheckedSeatColor(const std::string* colortype)
{
    if (colortype) {
        if (*colortype == "1") return clBlue;
        if (*colortype == "2") return clRed;
        if (*colortype == "3") return clGreen;
        if (*colortype == "5") return clAquamarine;
        if (*colortype == "6") return clPurple;
    }
    return clGreen;
}

TTextColor UncheckedSeatColor(const std::string* colortype)
{
    if (colortype) {
        if (*colortype == "1") return clBlue;
        if (*colortype == "3") return clGreen;
        if (*colortype == "5") return clAquamarine;
        if (*colortype == "6") return clPurple;
    }
    return clBlack;
}

} // namespace

const TSeatDictPtr& TSeatPlanCheckedModel::seatsticketno()
{
    if (!Fseatsticketno) Fseatsticketno = std::make_shared<TSeatDict>();
    return Fseatsticketno;
}

bool TSeatPlanCheckedModel::isCheckedSeat(int row, int col) const
{
    const TSeatNo seatno = getSeatNo(row, col);
    if (seatno == 0 || !caches().seatstatuspicturemap) return false;
    const std::string* state = stateOf(seatno);
    return state && seatcodes::IsCheckedState(*state) && caches().HasSeatStatusPicture(*state);
}

void TSeatPlanCheckedModel::raiseSeatEvent(const TSeatSelectEvent& handler, TSeatNo seatno)
{
    const std::string* state = stateOf(seatno);
    const bool beforChecked = state && seatcodes::IsCheckedState(*state);
    bool afterChecked = false;
    const std::string* ticketno = EntryOf(Fseatsticketno, seatno);
    handler(seatno, ticketno ? *ticketno : std::string(), beforChecked, afterChecked);
    if (afterChecked != beforChecked) invalidate();
}

bool TSeatPlanCheckedModel::toggleSeat(int col, int row)
{
    if (!isLocateTriggerSelectEvent() || !canSelectSeat(row, col) || !allowSelectByHand()) return true;
    const TSeatNo seatno = getSeatNo(row, col);
    if (seatno != 0 && FOnSelectSeat) raiseSeatEvent(FOnSelectSeat, seatno);
    return true;
}

void TSeatPlanCheckedModel::dblClickSeat(int col, int row)
{
    if (!canSelectSeat(row, col) || !allowSelectByHand()) return;
    const TSeatNo seatno = getSeatNo(row, col);
    if (seatno != 0 && FOnDbClickSeat) raiseSeatEvent(FOnDbClickSeat, seatno);
}

std::optional<TSeatNo> TSeatPlanCheckedModel::seatOfTicket(const std::string& ticketno) const
{
    if (!Fseatsticketno) return std::nullopt;
    for (const auto& [seatno, tickets] : *Fseatsticketno)
        if (tickets == ticketno) return seatno;
    return std::nullopt;
}

TSeatPicture TSeatPlanCheckedModel::getStatusPicture(int row, int col) const
{
    if (isCheckedSeat(row, col)) return TSeatPicture::OfSeatStatus(*stateOf(getSeatNo(row, col)));
    return TSeatPlanSelectModel::getStatusPicture(row, col);
}

TCellText TSeatPlanCheckedModel::getCellText(int col, int row)
{
    TCellText cell = TSeatPlanSelectModel::getCellText(col, row);
    const TSeatNo seatno = getSeatNo(row, col);
    if (seatno == 0 || !caches().seatstatuspicturemap) return {};
    if (isCheckedSeat(row, col)) {
        cell.color = CheckedSeatColor(EntryOf(seatscolor(), seatno));
        return cell;
    }
    const std::string* state = stateOf(seatno);
    if (state && *state == seatcodes::kUncheckedTicket && caches().HasSeatStatusPicture(seatcodes::kUncheckedTicket)) {
        cell.color = UncheckedSeatColor(EntryOf(seatscolor(), seatno));
        return cell;
    }
    return TSeatPlanModel::getCellText(col, row);
}

} // namespace kiosk
