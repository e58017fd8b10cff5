#pragma once
#include "database.h"

namespace stationd {

// Creates every table and index of the station database (an empty database is expected).
void CreateSchema(Database& db);

} // namespace stationd
