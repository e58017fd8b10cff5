// The loading of the process-wide picture caches through the seat plans' connection.
#include "seatplan/seatplanloader.h"
#include "seatplan/view/seatpicturecache.h"

namespace kiosk {

namespace {

template <typename Row, typename ReadRow>
std::vector<Row> QueryRows(const char* name, const char* address, const char* dataList, ReadRow readRow)
{
    auto ds = NewSeatPlanQuery(name, address, dataList);
    ds->Open();
    std::vector<Row> rows;
    for (ds->First(); !ds->Eof(); ds->Next()) rows.push_back(readRow(*ds));
    return rows;
}

} // namespace

void TSeatPictureCache::EnsureVehiclespaces()
{
    if (FKeys->vehiclespacelist) return;
    // The list exists from here on, so a failing query is not asked again.
    FKeys->vehiclespacelist.emplace();
    FillVehiclespaces(QueryRows<TVehiclespaceRow>(
        "jcdsVehiclespace", "base/findVehiclespace", "vehiclespacelist", [](const TDataSet& ds) {
            return TVehiclespaceRow{FieldInt(ds, "id"), FieldText(ds, "name"), FieldText(ds, "ispassengerseat"),
                                    FieldText(ds, "seattype"), FieldText(ds, "picture")};
        }));
}

void TSeatPictureCache::EnsureSeatPictures()
{
    if (!FKeys->vehiclespacesoldpicturemap) {
        FillSpaceSoldPictures(QueryRows<TSpaceSoldPictureRow>(
            "jcdsVehiclespacesoldpicture", "base/qryvehiclespacesoldpicture", "vehiclespacesoldpicturemap",
            [](const TDataSet& ds) {
                return TSpaceSoldPictureRow{FieldInt(ds, "vehiclespaceid"), FieldText(ds, "tickettypecode"),
                                            FieldText(ds, "soldpicture")};
            }));
    }
    if (!FKeys->seatstatuspicturemap) {
        FillSeatStatusPictures(QueryRows<TPictureRow>(
            "jcdsSeatstatuspicture", "base/qryseatstatuspicture", "seatstatuspicturemap", [](const TDataSet& ds) {
                return TPictureRow{FieldText(ds, "seatstatus"), FieldText(ds, "picture")};
            }));
    }
    if (!FKeys->tickettypemap) {
        FillTickettypes(QueryRows<TPictureRow>(
            "jcdsTickettype", "base/findTickettype", "tickettypemap", [](const TDataSet& ds) {
                return TPictureRow{FieldText(ds, "code"), FieldText(ds, "soldpicture")};
            }));
    }
}

} // namespace kiosk
