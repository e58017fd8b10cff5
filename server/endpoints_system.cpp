// Start-up, staff, system parameters, lookups and print templates.
#include "service.h"

namespace stationd {

using namespace col;

namespace {

constexpr const char* kSecretKey = "KESTKEY";

void TestConnection(Call& c)
{
    if (c.request.Text("secretKey") != kSecretKey) {
        c.answer["flag"] = 0;
        c.answer["msg"] = "客户端密钥不正确，拒绝连接";
        c.answer["connmsg"] = 0;
        c.answer["sresult"] = "客户端密钥不正确，拒绝连接";
    } else {
        c.answer["connmsg"] = 1;
        c.answer["sresult"] = "";
    }
    c.answer["curDatetime"] = c.clock.Now();
}

void Login(Call& c)
{
    const std::string username = Trim(c.request.Text("username"));
    if (username.empty())
        throw Refused("请输入用户名！");
    const std::string outletCode = Trim(c.request.Text("ticketoutletcode"));
    bool found = false;
    c.db.Each(R"(SELECT u.id, u.code, u.name, u.password, u.orgid, u.isactive, d.id, d.name, o.name, o.stationid,
                        p.id, p.name
                 FROM userinfo u JOIN department d ON d.id = u.departmentid JOIN organization o ON o.id = u.orgid
                 LEFT JOIN organization p ON p.id = o.parentid WHERE u.code = ?)",
              {username}, [&](const Row& r) {
                  if (r.Text(3) != c.request.Text("userpwd"))
                      return;
                  if (r.Int(5) == 0)
                      throw Refused("该用户已停用！");
                  found = true;
                  SetOutput(c.answer, "global.userinfo.id", r.Int(0));
                  SetOutput(c.answer, "global.userinfo.code", r.Text(1));
                  SetOutput(c.answer, "global.userinfo.name", r.Text(2));
                  SetOutput(c.answer, "global.userinfo.orgid", r.Int(4));
                  SetOutput(c.answer, "global.department.id", r.Int(6));
                  SetOutput(c.answer, "global.department.name", r.Text(7));
                  SetOutput(c.answer, "global.organization.name", r.Text(8));
                  SetOutput(c.answer, "global.organization.station.id", r.Int(9));
                  SetOutput(c.answer, "global.organization.organ.id", r.IsNull(10) ? Json() : Json(r.Int(10)));
                  SetOutput(c.answer, "global.organization.organ.name", r.IsNull(11) ? Json() : Json(r.Text(11)));
              });
    if (!found)
        throw Refused("用户名或密码错误！");
    const auto orgid = c.answer["global"]["userinfo"]["orgid"].get<std::int64_t>();
    if (outletCode.empty())
        throw Refused("请配置所属售票点！");
    bool outletFound = false;
    c.db.Each("SELECT id, name, orgid FROM ticketoutlet WHERE code = ?", {outletCode}, [&](const Row& r) {
        if (r.Int(2) != orgid)
            throw Refused("售票点" + outletCode + "不属于本机构！");
        outletFound = true;
        SetOutput(c.answer, "global.ticketoutlets.id", r.Int(0));
        SetOutput(c.answer, "global.ticketoutlets.name", r.Text(1));
    });
    if (!outletFound)
        throw Refused("售票点不存在：" + outletCode);
    SetOutput(c.answer, "global.orgIDs",
              c.db.Text("SELECT group_concat(id, ',') FROM (SELECT id FROM organization WHERE id = ?1 OR parentid = ?1 "
                        "ORDER BY id)",
                        {orgid})
                  .value_or(std::to_string(orgid)));
    c.answer["msg"] = "登录成功";
}

void Logout(Call& c) { c.answer["msg"] = "已退出系统"; }

void FindParameter(Call& c)
{
    const std::string code = Trim(c.request.Text("code"));
    if (code.empty())
        throw BadInput("缺少参数：code");
    const auto orgid = c.request.OptId("orgid").value_or(0);
    const auto value = c.db.Text("SELECT value FROM parameter WHERE code = ? AND orgid IN (?, 0) ORDER BY orgid DESC "
                                 "LIMIT 1",
                                 {code, orgid});
    if (!value)
        throw Refused("系统参数不存在：" + code);
    c.answer["parametervalue"] = *value;
}

void BillTypes(Call& c)
{
    c.table->AddRows(c.db, "SELECT id, code, name, ticketnolength FROM billtype ORDER BY id", {});
}

const std::vector<Column> kHelpColumns = {L("id"), S("name", 50), S("code", 50), I("seatnum"), S("vehicletype", 50)};

void VehicleHelp(Call& c)
{
    c.table->AddRows(c.db, R"(SELECT id, vehicleno, vehicleno, seatnum, vehicletype FROM vehicle
                               WHERE instr(UPPER(vehicleno), UPPER(?1)) > 0 ORDER BY vehicleno LIMIT 50)",
                     {Trim(c.request.Text("param"))});
}

void Help(Call& c, bool withAuthorisation)
{
    const std::string type = c.request.Text("helpType");
    const std::string param = Trim(c.request.Text("param"));
    if (type == "VehiclenoHelp")
        return VehicleHelp(c);
    if (!withAuthorisation)
        throw Refused("未知的帮助类型：" + type);
    if (type == "StationHelp")
        c.table->AddRows(c.db, R"(SELECT id, name, code, NULL, NULL FROM station
                                   WHERE instr(name, ?1) > 0 OR instr(UPPER(code), UPPER(?1)) > 0 ORDER BY id LIMIT 50)",
                         {param});
    else if (type == "RouteHelp")
        c.table->AddRows(c.db, "SELECT id, name, CAST(id AS TEXT), NULL, NULL FROM route WHERE instr(name, ?1) > 0 "
                               "ORDER BY id LIMIT 50",
                         {param});
    else if (type == "TickettypeHelp")
        c.table->AddRows(c.db, "SELECT id, name, code, NULL, NULL FROM tickettype WHERE instr(name, ?1) > 0 OR "
                               "instr(UPPER(code), UPPER(?1)) > 0 ORDER BY id",
                         {param});
    else
        throw Refused("未知的帮助类型：" + type);
}

void ComboList(Call& c)
{
    const std::string type = c.request.Text("helpType");
    if (type.empty())
        throw BadInput("缺少参数：helpType");
    if (type == "TicketentranceHelp")
        c.table->AddRows(c.db, "SELECT id, name, code FROM ticketentrance ORDER BY id", {});
    else if (type == "TickettypeHelp")
        c.table->AddRows(c.db, "SELECT id, name, code FROM tickettype ORDER BY id", {});
    else if (type == "StationHelp")
        c.table->AddRows(c.db, "SELECT id, name, code FROM station ORDER BY id", {});
    else
        throw Refused("未知的帮助类型：" + type);
}

void PrintTemplates(Call& c)
{
    c.request.OnlyFilters({"filter_EQL_pt!id", "filter_EQS_pt!name"});
    const auto id = c.request.OptId("filter_EQL_pt!id");
    const auto name = c.request.Find("filter_EQS_pt!name");
    if (!id && !name)
        throw BadInput("缺少查询条件：filter_EQL_pt!id 或 filter_EQS_pt!name");
    c.table->AddRows(c.db, R"(SELECT id, name, templatetype, printername, width, "left", top, height, heightcorrection,
                                     rowperpage, columnsperpage, rowspace FROM printtemplate
                              WHERE (?1 IS NULL OR id = ?1) AND (?2 IS NULL OR name = ?2) ORDER BY id)",
                     {Sql(id), name ? SqlValue(*name) : SqlNull()});
}

void PrintTemplateItems(Call& c)
{
    c.request.OnlyFilters({"filter_EQL_pti!printtemplate.id"});
    const auto id = c.request.Id("filter_EQL_pti!printtemplate.id");
    c.table->AddRows(c.db, R"(SELECT id, printtemplateid, orderno, isprint, valuetype, "left", top, width, height, title,
                                     fontname, fontsize, islist, itemcode, parameter FROM printtemplateitem
                              WHERE printtemplateid = ? ORDER BY orderno, id)",
                     {id});
}

} // namespace

void AddSystemEndpoints(std::vector<Endpoint>& e)
{
    e.push_back({"system/testConn", "", {"connmsg", "sresult", "curDatetime"}, {}, false, TestConnection});
    e.push_back({"system/login",
                 "",
                 {"global.userinfo.id", "global.userinfo.name", "global.userinfo.code", "global.userinfo.orgid",
                  "global.organization.name", "global.organization.station.id", "global.organization.organ.id",
                  "global.organization.organ.name", "global.orgIDs", "global.department.id", "global.department.name",
                  "global.ticketoutlets.id", "global.ticketoutlets.name"},
                 {},
                 false,
                 Login});
    e.push_back({"system/logout", "", {}, {}, false, Logout});
    e.push_back({"system/findParameterValue", "", {"parametervalue"}, {}, false, FindParameter});
    e.push_back({"bill/listbilltype", "billtypemap", {}, {L("id"), S("code", 20), S("name", 50), I("ticketnolength")},
                 false, BillTypes});
    e.push_back({"system/help", "helpmap", {}, kHelpColumns, false, [](Call& c) { Help(c, true); }});
    e.push_back({"system/helpNoAuth", "helpmap", {}, kHelpColumns, false, [](Call& c) { Help(c, false); }});
    e.push_back({"system/queryhelpcombox", "datalist", {}, {I("ID"), S("name", 50), S("CODE", 20)}, false, ComboList});
    e.push_back({"system/queryPrinttemplate",
                 "printtemplatelist",
                 {},
                 {L("id"), S("name", 50), S("templatetype", 50), S("printername", 100), I("width"), I("left"), I("top"),
                  I("height"), I("heightcorrection"), I("rowperpage"), I("columnsperpage"), I("rowspace")},
                 false,
                 PrintTemplates});
    e.push_back({"system/queryPrinttemplateitem",
                 "printtemplateitemlist",
                 {},
                 {L("id"), L("printtemplateid"), I("orderno"), B("isprint"), I("valuetype"), I("left"), I("top"),
                  I("width"), I("height"), S("title", 200), S("fontname", 50), I("fontsize"), B("islist"),
                  S("itemcode", 50), S("parameter", 100)},
                 false,
                 PrintTemplateItems});
}

} // namespace stationd
