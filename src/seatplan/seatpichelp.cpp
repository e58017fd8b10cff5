#include "seatplan/seatpichelp.h"

#include <limits>

#include "core/sysservice.h"
#include "platform/textutil.h"
#include "seatplan/seatcodes_p.h"
#include "seatplan/seatplanloader.h"

namespace kiosk {

namespace {

// Sets the entry unless the seat has one already: the first row of a seat wins.
void SetFirst(TSeatDict& dict, TSeatNo seatno, const std::string& value)
{
    dict.try_emplace(seatno, value);
}

// A row without ticket carries "0"; a blank ticket number carries none either.
bool CarriesTicket(const std::string& ticketno)
{
    const std::string no = Trim(ticketno);
    return !no.empty() && no != "0";
}

} // namespace

TSeatPicHelp::TSeatPicHelp(TjsonConnection* connection)
    : jcdsQrySeatstatus(NewSeatPlanQuery("jcdsQrySeatstatus", "checkticket/qrySeatstatus", "seatstatuslist", connection)),
      selectSeatStatus(std::make_shared<TStringList>(TStringList{"2", "7", "8"})),
      seatscolor(std::make_shared<TSeatDict>()),
      seatstype(std::make_shared<TSeatDict>()),
      seatsStatus(std::make_shared<TSeatDict>()),
      seatsTickettype(std::make_shared<TSeatDict>()),
      seatticketno(std::make_shared<TSeatDict>()),
      seatStation(std::make_shared<TSeatDict>()),
      seatshint(std::make_shared<TSeatDict>())
{
    jcdsQrySeatstatus->Params().CreateParam(ftString, "scheduleplanid", ptInput);
}

namespace {

// The logged-in user's station; none before a login.
std::int64_t KioskStationID()
{
    const auto info = GetSysInfo()->LoginUserInfo();
    return info ? info->StationID : 0;
}

TSeatStatusRow ReadSeatStatusRow(const TDataSet& ds)
{
    TSeatStatusRow row;
    row.seatno = FieldInt(ds, "seatno");
    row.status = FieldText(ds, "status");
    row.tickettype = FieldText(ds, "tickettype");
    row.seattype = FieldText(ds, "seattype");
    row.ticketno = FieldText(ds, "ticketno");
    row.ischecked = FieldBool(ds, "ischecked");
    row.departstationid = FieldInt(ds, "departstationid");
    row.seatinfo = FieldText(ds, "seatinfo");
    row.colortype = FieldText(ds, "colortype");
    row.hint = FieldText(ds, "hint");
    return row;
}

} // namespace

void TSeatPicHelp::qrySeatstatus(std::int64_t scheduleplanid, bool isshowseathint)
{
    Clear();
    TjsonClientDataSet& ds = *jcdsQrySeatstatus;
    ds.Close();
    ds.ParamByName("scheduleplanid").SetAsString(IntToStr(scheduleplanid));
    ds.Open();
    if (ds.IsEmpty()) return;
    std::vector<TSeatStatusRow> rows;
    rows.reserve(std::size_t(ds.RecordCount()));
    for (ds.First(); !ds.Eof(); ds.Next()) rows.push_back(ReadSeatStatusRow(ds));
    FillSeatStatus(rows, KioskStationID(), isshowseathint);
}

void TSeatPicHelp::Clear()
{
    checktickets = 0;
    unchecktickets = 0;
    seatCanCheck.clear();
    canCheckSeen_.reset();
    seatticketno->clear();
    seatshint->clear();
    seatStation->clear();
    seatscolor->clear();
    seatsStatus->clear();
    seatsTickettype->clear();
    seatstype->clear();
}

void TSeatPicHelp::FillSeatStatus(const std::vector<TSeatStatusRow>& rows, std::int64_t stationid, bool isshowseathint)
{
    for (const auto& row : rows) AddRow(row, stationid, isshowseathint);
}

void TSeatPicHelp::AddRow(const TSeatStatusRow& row, std::int64_t stationid, bool isshowseathint)
{
    // Seat numbers are 16-bit; a number outside that range names no seat of the plan.
    if (row.seatno < 0 || row.seatno > std::numeric_limits<TSeatNo>::max()) return;
    const auto n = static_cast<TSeatNo>(row.seatno);

    SetFirst(*seatsStatus, n, row.status);
    if (seatcodes::IsTicketState(row.status)) SetFirst(*seatsTickettype, n, row.tickettype);
    SetFirst(*seatstype, n, row.seattype);

    if (CarriesTicket(row.ticketno)) {
        if (row.ischecked) {
            ++checktickets;
        } else if (row.departstationid == stationid && !canCheckSeen_.test(n)) {
            canCheckSeen_.set(n);
            seatCanCheck.push_back(n);
            ++unchecktickets;
        }
        const auto tickets = seatticketno->find(n);
        if (tickets != seatticketno->end()) {
            tickets->second += "," + row.ticketno;
            (*seatStation)[n] += "," + row.seatinfo;
        } else {
            (*seatticketno)[n] = row.ticketno;
            (*seatStation)[n] = row.seatinfo;
        }
        SetFirst(*seatscolor, n, row.colortype);
    }
    if (isshowseathint) SetFirst(*seatshint, n, row.hint);
}

} // namespace kiosk
