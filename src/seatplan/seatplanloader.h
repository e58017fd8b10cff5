#pragma once
// The seat plans' road to the server: the connection their loaders use, the plan of a vehicle
// brand model (base/findVehicleseatplandetail), and small readers of the rows of an answer.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/tjsonclientdataset.h"
#include "seatplan/seattypes.h"

namespace kiosk {

// The connection of the seat plans' process-wide loaders: the data module's jcon, set once by
// the program body. A loader without one fails with the dataset's own text.
void SetSeatPlanConnection(TjsonConnection* connection);
TjsonConnection* SeatPlanConnection();

// A query dataset on `connection` (or the seat plans' connection when null).
std::unique_ptr<TjsonClientDataSet> NewSeatPlanQuery(const std::string& name, const std::string& address,
                                                     const std::string& dataList,
                                                     TjsonConnection* connection = nullptr);

// The active record's value of a column; a column the answer does not carry reads as null.
std::string FieldText(const TDataSet& ds, std::string_view name);
std::int64_t FieldInt(const TDataSet& ds, std::string_view name);
bool FieldBool(const TDataSet& ds, std::string_view name);

// The plan's cells. Rows whose row, column or seat number does not fit the plan's types are
// left out.
std::vector<TSeatPlanDetailRow> QueryVehicleseatplandetail(std::int64_t brandModelid);

} // namespace kiosk
