#pragma once
// Small builders of seat dictionaries, caches and plans for the seat plan tests.
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "seatplan/seattypes.h"

namespace kiosk::test {

// Seats 1..count, all in `state`.
inline TSeatDictPtr SeatsInState(int count, const std::string& state)
{
    auto dict = std::make_shared<TSeatDict>();
    for (int n = 1; n <= count; ++n) (*dict)[TSeatNo(n)] = state;
    return dict;
}

inline TSeatDictPtr Dict(std::initializer_list<std::pair<const TSeatNo, std::string>> entries)
{
    return std::make_shared<TSeatDict>(entries);
}

// Caches holding a picture for each of the given keys.
inline std::shared_ptr<TSeatPlanCaches> CachesWith(std::set<std::string> states, std::set<std::string> tickettypes)
{
    auto caches = std::make_shared<TSeatPlanCaches>();
    caches->vehiclespacelist.emplace();
    caches->seatstatuspicturemap = std::move(states);
    caches->tickettypemap = std::move(tickettypes);
    caches->vehiclespacesoldpicturemap.emplace();
    return caches;
}

inline TVehiclespacePtr Space(std::int64_t id, std::string name, bool passenger, std::string seattype = "0")
{
    return std::make_shared<TVehiclespace>(TVehiclespace{id, std::move(name), passenger, std::move(seattype)});
}

inline TSeatPlanDetailRow PlanCell(int row, int col, std::int64_t spaceid, int seatno, std::string remarks = {})
{
    TSeatPlanDetailRow r;
    r.id = row * 100 + col;
    r.rowno = std::uint8_t(row);
    r.colno = std::uint8_t(col);
    r.vehiclespaceid = spaceid;
    r.seatno = TSeatNo(seatno);
    r.remarks = std::move(remarks);
    return r;
}

// A plan of `seats` passenger seats (space 1) in rows of four, plus a door (space 2) at row 1,
// column 5.
inline std::vector<TSeatPlanDetailRow> PlanOfSeats(int seats)
{
    std::vector<TSeatPlanDetailRow> rows;
    for (int n = 1; n <= seats; ++n) rows.push_back(PlanCell((n - 1) / 4 + 1, (n - 1) % 4 + 1, 1, n));
    rows.push_back(PlanCell(1, 5, 2, 0));
    return rows;
}

} // namespace kiosk::test
