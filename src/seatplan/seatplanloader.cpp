#include "seatplan/seatplanloader.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace kiosk {

namespace {

TjsonConnection* gConnection = nullptr;

template <typename T>
std::optional<T> Narrow(std::int64_t value)
{
    if (value < 0 || value > std::int64_t(std::numeric_limits<T>::max())) return std::nullopt;
    return static_cast<T>(value);
}

} // namespace

void SetSeatPlanConnection(TjsonConnection* connection) { gConnection = connection; }
TjsonConnection* SeatPlanConnection() { return gConnection; }

std::unique_ptr<TjsonClientDataSet> NewSeatPlanQuery(const std::string& name, const std::string& address,
                                                     const std::string& dataList, TjsonConnection* connection)
{
    auto ds = std::make_unique<TjsonClientDataSet>(name);
    ds->SetRemoteServer(connection ? connection : gConnection);
    ds->SetQueryAddress(address);
    ds->SetDataSourceName(dataList);
    return ds;
}

std::string FieldText(const TDataSet& ds, std::string_view name)
{
    const TField* field = ds.FindField(name);
    return field ? field->AsString() : std::string();
}

std::int64_t FieldInt(const TDataSet& ds, std::string_view name)
{
    const TField* field = ds.FindField(name);
    return field ? field->AsLargeInt() : 0;
}

bool FieldBool(const TDataSet& ds, std::string_view name)
{
    const TField* field = ds.FindField(name);
    return field && field->AsBoolean();
}

std::vector<TSeatPlanDetailRow> QueryVehicleseatplandetail(std::int64_t brandModelid)
{
    auto ds = NewSeatPlanQuery("jcdsVehicleseatplandetail", "base/findVehicleseatplandetail",
                               "vehicleseatplandetaillist");
    ds->Params().CreateParam(ftLargeint, "vehicleseatplan.vehiclebrandmodelid", ptInput).SetAsLargeInt(brandModelid);
    ds->Open();
    std::vector<TSeatPlanDetailRow> rows;
    for (ds->First(); !ds->Eof(); ds->Next()) {
        const auto rowno = Narrow<std::uint8_t>(FieldInt(*ds, "rowno"));
        const auto colno = Narrow<std::uint8_t>(FieldInt(*ds, "colno"));
        const auto seatno = Narrow<TSeatNo>(FieldInt(*ds, "seatno"));
        if (!rowno || !colno || !seatno) continue;
        TSeatPlanDetailRow row;
        row.id = FieldInt(*ds, "id");
        row.rowno = *rowno;
        row.colno = *colno;
        row.width = Narrow<std::uint16_t>(FieldInt(*ds, "width")).value_or(0);
        row.height = Narrow<std::uint16_t>(FieldInt(*ds, "height")).value_or(0);
        row.vehiclespaceid = FieldInt(*ds, "vehiclespaceid");
        row.seatno = *seatno;
        row.remarks = FieldText(*ds, "remarks");
        row.createby = FieldInt(*ds, "createby");
        row.createtime = FieldText(*ds, "createtime");
        row.updateby = FieldInt(*ds, "updateby");
        row.updatetime = FieldText(*ds, "updatetime");
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace kiosk
