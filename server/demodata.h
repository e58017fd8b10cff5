#pragma once
// The demo station's data, anchored to the demo day: created on first start (or with --fresh).
#include <ostream>
#include <string>

namespace stationd {

// Makes sure the database at `path` holds the station: creates the schema and the demo data for
// `today` when the file is new or empty, or when `fresh` asks for a new one. Warns on `log` when an
// existing database was made for another day.
void PrepareDatabase(const std::string& path, bool fresh, const std::string& today, std::ostream& log);

// Sells `count` more full-fare tickets for the LS01 line work of the database's demo day,
// 0001000001 onwards, each checkable onto 粤A23456's report; numbers already sold are kept.
void AddLineWorkTickets(const std::string& path, int count, std::ostream& log);

} // namespace stationd
