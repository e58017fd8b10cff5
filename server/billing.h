#pragma once
// The station's rules for checking tickets, handing out bill numbers and billing a vehicle's
// checked tickets on a settlement slip. Callers hold the transaction.
#include "database.h"

#include <cstdint>
#include <optional>
#include <string>

namespace stationd {

struct Report {
    std::int64_t id = 0;
    std::int64_t vehicleid = 0;
    std::int64_t planid = 0;
    std::string departdate;
    bool departed = false;
};

// The active vehicle report; Refused when there is none.
Report LoadReport(Database& db, std::int64_t reportid);

struct TicketCheck {
    std::int64_t ticketid = 0;
    std::int64_t planid = 0;
    std::int64_t reportid = 0;   // the vehicle's report of the ticket's own schedule
    std::string code;            // that schedule's code
    std::string reach;           // destination name
    int seatno = 0;
    bool departed = false;       // the ticket's schedule or report has left
};

struct CheckRequest {
    std::string ticketno;
    Report report;                          // the report the kiosk shows
    std::optional<std::string> day;         // the kiosk's departure date
    std::optional<std::int64_t> station;    // the checking station
    bool lazy = false;                      // a late check of the shown, departed schedule
};

// A ticket passes when it exists, is not refunded, is for the day, belongs to a schedule that the
// same vehicle has reported (its own schedule, not merely the one shown), boards at the checking
// station, is not checked yet and its schedule has not left (unless it is the late check of the
// shown schedule). Otherwise Refused with the reason.
TicketCheck EvaluateTicket(Database& db, const CheckRequest& request);

// The next number of the bill type's stock, padded to the type's length, and the stock advanced.
// Refused when the stock is used up.
std::string TakeBillNumber(Database& db, const std::string& billtypecode);

struct SlipOrder {
    std::int64_t reportid = 0;
    std::string number;
    std::string printtime;
    std::string ip;
    bool supplement = false;
};

// Bills every checked, unbilled ticket of the report on a new slip with its deductions (by the
// vehicle unit's deduction set) and per-destination details; answers the slip id. Refused when
// no ticket is left to bill.
std::int64_t IssueSlip(Database& db, const SlipOrder& order);

} // namespace stationd
