// Driver login by vehicle, the vehicle password, and the seat plan's spaces and pictures.
#include "service.h"

namespace stationd {

using namespace col;

namespace {

std::string UpperAscii(std::string text)
{
    for (auto& ch : text)
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
    return text;
}

std::size_t CodePoints(const std::string& text)
{
    std::size_t count = 0;
    for (unsigned char ch : text)
        count += (ch & 0xC0) != 0x80;
    return count;
}

// Which vehicle a driver logs in to: by IC card; by the vehicle's own password (set with
// base/updateVehicle) for the picked vehicle; or by the driver's ID number, taking the picked
// vehicle when he drives it and otherwise his first vehicle. Answers 0 when none fits.
std::int64_t FindLoginVehicle(Database& db, const Request& request)
{
    const std::string cardno = Trim(request.Text("vehicle.cardno"));
    if (!cardno.empty())
        return db.Int("SELECT id FROM vehicle WHERE cardno = ?", {cardno}).value_or(0);
    const std::string key = UpperAscii(Trim(request.Text("vehicle.gprs")));
    if (key.empty())
        return 0;
    const auto picked = request.OptId("vehicle.id").value_or(0);
    if (picked > 0 && db.Int("SELECT id FROM vehicle WHERE id = ? AND password = ?", {picked, key}))
        return picked;
    if (!request.Bool("isidcardlogin", true))
        return 0;
    const auto driver = db.Int("SELECT id FROM driver WHERE UPPER(idcard) = ?", {key});
    if (!driver)
        return 0;
    if (picked > 0 && db.Int("SELECT vehicleid FROM vehicledriver WHERE vehicleid = ? AND driverid = ?", {picked, *driver}))
        return picked;
    return db.Int("SELECT vehicleid FROM vehicledriver WHERE driverid = ? ORDER BY vehicleid LIMIT 1", {*driver})
        .value_or(0);
}

void VehicleLogin(Call& c)
{
    const auto vehicle = FindLoginVehicle(c.db, c.request);
    if (vehicle == 0) {
        c.answer["flag"] = 0;
        c.answer["msg"] = "找不到驾驶员对应车辆信息";
        c.answer["vehicleid"] = 0;
        c.answer["vehicleno"] = "";
        return;
    }
    c.answer["vehicleid"] = vehicle;
    c.answer["vehicleno"] = c.db.Text("SELECT vehicleno FROM vehicle WHERE id = ?", {vehicle}).value_or("");
    c.answer["msg"] = "登录成功";
}

void UpdateVehicle(Call& c)
{
    const auto vehicle = c.request.Id("vehicle.id");
    const std::string password = Trim(c.request.Text("vehicle.gprs"));
    if (password.empty())
        throw Refused("密码不能为空！");
    if (CodePoints(password) > 50)
        throw Refused("密码不能超过50个字符！");
    Transaction transaction(c.db, Transaction::Mode::Write);
    if (c.db.Run("UPDATE vehicle SET password = ? WHERE id = ?", {UpperAscii(password), vehicle}) != 1)
        throw Refused("车辆不存在：" + std::to_string(vehicle));
    transaction.Commit();
    c.answer["msg"] = "密码修改成功";
}

void VehicleSpaces(Call& c)
{
    c.table->AddRows(c.db, "SELECT id, name, ispassengerseat, seattype, picture FROM vehiclespace ORDER BY id", {});
}

void TicketTypes(Call& c)
{
    c.table->AddRows(c.db, "SELECT id, code, name, soldpicture FROM tickettype ORDER BY id", {});
}

void SpaceSoldPictures(Call& c)
{
    c.table->AddRows(c.db, "SELECT vehiclespaceid, tickettypecode, soldpicture FROM vehiclespacesoldpicture "
                           "ORDER BY vehiclespaceid, tickettypecode",
                     {});
}

void SeatStatePictures(Call& c)
{
    c.table->AddRows(c.db, "SELECT seatstatus, name, picture FROM seatstatuspicture ORDER BY seatstatus", {});
}

void SeatPlan(Call& c)
{
    const auto model = c.request.Id("vehicleseatplan.vehiclebrandmodelid");
    c.table->AddRows(c.db, R"(SELECT id, rowno, colno, width, height, vehiclespaceid, seatno, remarks, createby,
                                     createtime, updateby, updatetime FROM vehicleseatplandetail
                              WHERE brandmodelid = ? ORDER BY rowno, colno)",
                     {model});
}

} // namespace

void AddBaseEndpoints(std::vector<Endpoint>& e)
{
    e.push_back({"base/qryVehiclebyIdcard", "", {"vehicleid", "vehicleno"}, {}, false, VehicleLogin});
    e.push_back({"base/updateVehicle", "", {}, {}, false, UpdateVehicle});
    e.push_back({"base/findVehiclespace", "vehiclespacelist", {},
                 {L("id"), S("name", 50), B("ispassengerseat"), S("seattype", 20), P("picture")}, false, VehicleSpaces});
    e.push_back({"base/findTickettype", "tickettypemap", {}, {L("id"), S("code", 20), S("name", 50), P("soldpicture")},
                 false, TicketTypes});
    e.push_back({"base/qryvehiclespacesoldpicture", "vehiclespacesoldpicturemap", {},
                 {L("vehiclespaceid"), S("tickettypecode", 20), P("soldpicture")}, false, SpaceSoldPictures});
    e.push_back({"base/qryseatstatuspicture", "seatstatuspicturemap", {},
                 {S("seatstatus", 10), S("name", 50), P("picture")}, false, SeatStatePictures});
    e.push_back({"base/findVehicleseatplandetail",
                 "vehicleseatplandetaillist",
                 {},
                 {L("id"), I("rowno"), I("colno"), I("width"), I("height"), L("vehiclespaceid"), I("seatno"),
                  S("remarks", 50), L("createby"), S("createtime", 30), L("updateby"), S("updatetime", 30)},
                 false,
                 SeatPlan});
}

} // namespace stationd
