#pragma once
// TSeatPicHelp: loads a schedule plan's seat states (checkticket/qrySeatstatus) and fills the
// dictionaries the seat views read. The dictionaries are created here, owned here and refilled
// in place on every load, so a view that shares them always shows the latest states.
#include <bitset>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "data/tjsonclientdataset.h"
#include "seatplan/seattypes.h"

namespace kiosk {

// One row of "seatstatuslist" as the loader hands it over.
struct TSeatStatusRow {
    std::int64_t seatno = 0;
    std::string status;
    std::string tickettype;
    std::string seattype;
    std::string ticketno;  // "0" for a row without ticket
    bool ischecked = false;
    std::int64_t departstationid = 0;
    std::string seatinfo;
    std::string colortype;
    std::string hint;
};

class TSeatPicHelp {
public:
    // Its query runs on `connection`, or on the seat plans' connection when null.
    explicit TSeatPicHelp(TjsonConnection* connection = nullptr);
    TSeatPicHelp(TSeatPicHelp&&) = default;
    TSeatPicHelp& operator=(TSeatPicHelp&&) = default;

    // checkticket/qrySeatstatus, data list "seatstatuslist", input "scheduleplanid".
    std::unique_ptr<TjsonClientDataSet> jcdsQrySeatstatus;

    int checktickets = 0;    // ticket rows already checked
    int unchecktickets = 0;  // seats with an unchecked ticket sold at the kiosk's station
    TStringListPtr selectSeatStatus;  // "2", "7", "8"
    TSeatDictPtr seatscolor;        // first row per seat with a ticket
    TSeatDictPtr seatstype;         // first row per seat
    TSeatDictPtr seatsStatus;       // first row per seat
    TSeatDictPtr seatsTickettype;   // first row per seat in state "2", "7" or "8"
    TSeatDictPtr seatticketno;      // every ticket of the seat, joined by ","
    TSeatDictPtr seatStation;       // the rows' seatinfo, joined by "," in the same order
    TSeatList seatCanCheck;         // seats with an unchecked ticket sold at the kiosk's station
    TSeatDictPtr seatshint;         // filled only when asked

    // Loads the seat states of a schedule plan: empties everything, queries, and fills the
    // dictionaries from the rows (hints only when asked). A failing query raises.
    void qrySeatstatus(std::int64_t scheduleplanid, bool isshowseathint);

    // Empties the counters and every dictionary (in place).
    void Clear();
    // Adds the rows of one answer; `stationid` is the logged-in user's station.
    void FillSeatStatus(const std::vector<TSeatStatusRow>& rows, std::int64_t stationid, bool isshowseathint);

private:
    void AddRow(const TSeatStatusRow& row, std::int64_t stationid, bool isshowseathint);

    // The seats of seatCanCheck, for a lookup in constant time however many rows arrive.
    std::bitset<std::size_t(std::numeric_limits<TSeatNo>::max()) + 1> canCheckSeen_;
};

} // namespace kiosk
