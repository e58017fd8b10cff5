// Bill numbers, settlement slips with their deductions and details, and the slip and sales records.
#include "billing.h"
#include "service.h"

namespace stationd {

using namespace col;

namespace {

const std::vector<Column> kSlipColumns = {
    L("id"), S("departinvoicesno", 20), S("invoicesno", 20), S("vehicleno", 20), I("seatnum"), S("brandname", 50),
    S("vehicletype", 50), I("distance"), S("checkedname", 50), I("freetickets"), I("armtickets"), S("unit", 100),
    I("ticketnum"), S("driver1", 20), S("driver2", 20), S("driver3", 20), S("driver4", 20), S("steward", 20),
    S("remarks", 200), S("ticketoutname", 50), S("ticketoutshort", 20), S("balanceunit", 100), S("fullname", 100),
    N("stationfee"), N("totalamount"), N("agentfee"), N("balanceamount"), N("fueladditionfee"), N("otherfee"),
    B("isovertime"), L("scheduleplanid"), L("vehiclereportid"), D("departdate"), S("departtime", 10), S("code", 20),
    S("routename", 50), S("endstation", 50), S("departstation", 50), T("printtime"), B("issupplement")};

constexpr const char* kSlipSql = R"(
SELECT d.id, d.departinvoicesno, d.departinvoicesno, v.vehicleno, v.seatnum, v.brandname, v.vehicletype, rt.distance,
       d.checkedname, d.freetickets, d.armtickets, u.name, d.ticketnum,
       COALESCE((SELECT dr.name FROM vehicledriver vd JOIN driver dr ON dr.id = vd.driverid
                 WHERE vd.vehicleid = v.id AND vd.orderno = 1), ''),
       COALESCE((SELECT dr.name FROM vehicledriver vd JOIN driver dr ON dr.id = vd.driverid
                 WHERE vd.vehicleid = v.id AND vd.orderno = 2), ''),
       COALESCE((SELECT dr.name FROM vehicledriver vd JOIN driver dr ON dr.id = vd.driverid
                 WHERE vd.vehicleid = v.id AND vd.orderno = 3), ''),
       COALESCE((SELECT dr.name FROM vehicledriver vd JOIN driver dr ON dr.id = vd.driverid
                 WHERE vd.vehicleid = v.id AND vd.orderno = 4), ''),
       v.steward, d.remarks, COALESCE(o.name, ''), COALESCE(o.shortname, ''), u.balanceunit, u.fullname,
       d.stationfee, d.totalamount, d.agentfee, d.balanceamount, d.fueladditionfee, d.otherfee, p.isovertime,
       d.scheduleplanid, d.vehiclereportid, d.departdate, p.departtime, p.code, rt.name, es.name, ds.name,
       d.printtime, d.issupplement
FROM departinvoice d JOIN vehicle v ON v.id = d.vehicleid JOIN unit u ON u.id = v.unitid
JOIN scheduleplan p ON p.id = d.scheduleplanid JOIN route rt ON rt.id = p.routeid
JOIN station es ON es.id = p.endstationid JOIN station ds ON ds.id = p.departstationid
LEFT JOIN ticketoutlet o ON o.id = d.ticketoutletid
WHERE d.id = ?)";

void InitBillNo(Call& c)
{
    const std::string type = Trim(c.request.Text("billtypecode"));
    if (type.empty())
        throw BadInput("缺少参数：billtypecode");
    const auto wanted = c.request.OptId("billinuse.nextno").value_or(-1);
    Transaction write(c.db, Transaction::Mode::Write);
    const auto length = c.db.Int("SELECT ticketnolength FROM billtype WHERE code = ?", {type});
    if (!length)
        throw Refused("票据类型不存在：" + type);
    std::int64_t stock = 0, next = 0, end = 0;
    c.db.Each("SELECT id, nextno, endno FROM billinuse WHERE billtypecode = ? AND isactive = 1 AND nextno <= endno "
              "ORDER BY id LIMIT 1",
              {type}, [&](const Row& r) {
                  stock = r.Int(0);
                  next = r.Int(1);
                  end = r.Int(2);
              });
    c.answer["billlength"] = *length;
    if (stock == 0) {
        c.answer["flag"] = 0;
        c.answer["msg"] = "没有可用的" + type + "票据，请先领用票据！";
        c.answer["curbillno"] = 0;
        c.answer["curbillnum"] = 0;
        return;
    }
    if (wanted >= 0) {
        // Moving the next number forward voids the numbers skipped; it never goes back.
        if (wanted < next || wanted > end)
            throw Refused("票号" + std::to_string(wanted) + "不在可用范围" + std::to_string(next) + "-" +
                          std::to_string(end) + "内！");
        c.db.Run("UPDATE billinuse SET nextno = ? WHERE id = ?", {wanted, stock});
        next = wanted;
    }
    write.Commit();
    c.answer["curbillno"] = next;
    c.answer["curbillnum"] = end - next + 1;
}

void CheckPlanOfReport(const Report& report, std::int64_t plan)
{
    if (report.planid != plan)
        throw Refused("报班记录与班次不符！");
}

void Reprint(Call& c)
{
    std::string number = Trim(c.request.Text("originaldepartinvoicesno"));
    if (number.empty())
        throw Refused("请选择要重打的结算单！");
    Transaction write(c.db, Transaction::Mode::Write);
    const auto slip = c.db.Int("SELECT id FROM departinvoice WHERE departinvoicesno = ?", {number});
    if (!slip)
        throw Refused("找不到要重打的结算单：" + number);
    c.db.Run("UPDATE departinvoice SET reprints = reprints + 1 WHERE id = ?", {*slip});
    write.Commit();
    c.table->AddRows(c.db, kSlipSql, {*slip});
    c.answer["msg"] = "结算单" + number + "重打";
    c.answer["msg1"] = "";
}

// A normal issue: the slip takes the stock's next number (the kiosk's own number is only a
// hint), the tickets are billed and the schedule departs.
void IssueInvoice(Call& c)
{
    const auto plan = c.request.Id("scheduleplanid");
    const auto reportid = c.request.Id("vehiclereportid");
    if (c.request.Bool("isreprint", false))
        return Reprint(c);
    Transaction write(c.db, Transaction::Mode::Write);
    const Report report = LoadReport(c.db, reportid);
    CheckPlanOfReport(report, plan);
    if (c.db.Int("SELECT isdeparted FROM scheduleplan WHERE id = ?", {plan}).value_or(0) != 0)
        throw Refused("该班次已发车，请补开结算单！");
    if (report.departed)
        throw Refused("该车辆本次报班已发班！");
    const std::string number = TakeBillNumber(c.db, "BalanceBill");
    const auto slip = IssueSlip(c.db, {reportid, number, c.clock.Now(), c.request.Text("ip"), false});
    c.db.Run("UPDATE vehiclereport SET isdeparted = 1 WHERE id = ?", {reportid});
    c.db.Run("UPDATE scheduleplan SET isdeparted = 1 WHERE id = ? AND islinework = 0", {plan});
    write.Commit();
    c.table->AddRows(c.db, kSlipSql, {slip});
    const std::string asked = Trim(c.request.Text("departinvoicesno"));
    c.answer["msg"] = "发班成功，结算单号：" + number;
    c.answer["msg1"] = (!asked.empty() && asked != number) ? "结算单号已按票据库存调整为" + number : "";
}

void SupplementInvoice(Call& c)
{
    const auto plan = c.request.Id("scheduleplanid");
    const auto reportid = c.request.Id("vehiclereportid");
    Transaction write(c.db, Transaction::Mode::Write);
    const Report report = LoadReport(c.db, reportid);
    CheckPlanOfReport(report, plan);
    const bool departed = report.departed ||
                          c.db.Int("SELECT isdeparted FROM scheduleplan WHERE id = ?", {plan}).value_or(0) != 0;
    if (!departed)
        throw Refused("该班次尚未发车，请正常打印结算单！");
    const std::string number = TakeBillNumber(c.db, "BalanceBill");
    const auto slip = IssueSlip(c.db, {reportid, number, c.clock.Now(), c.request.Text("ip"), true});
    write.Commit();
    c.table->AddRows(c.db, kSlipSql, {slip});
    c.answer["msg"] = "补开成功，结算单号：" + number;
}

void Deductions(Call& c)
{
    c.table->AddRows(c.db, "SELECT code, deductmoney, name FROM departinvoicededuct WHERE departinvoicesid = ? "
                           "ORDER BY orderno",
                     {c.request.Id("departinvoicesid")});
}

void Details(Call& c)
{
    c.table->AddRows(c.db, R"(SELECT fs.name, rs.name, d.fullpeople, d.halfpeople, d.discountpeople, d.freepeople,
                                     d.price, d.distance, d.totalamount, d.totalamount - d.stationfee, d.balanceprice,
                                     d.totalamount - d.deductions, d.totalamount - d.deductions + d.agentfee
                              FROM departinvoicedetail d JOIN station fs ON fs.id = d.fromstationid
                              JOIN station rs ON rs.id = d.reachstationid
                              WHERE d.departinvoicesid = ? ORDER BY d.orderno)",
                     {c.request.Id("departinvoicesid")});
}

void SlipsOfVehicle(Call& c)
{
    const std::string from = c.request.OptDay("departdate").value_or(c.clock.Today());
    const std::string to = c.request.OptDay("departdateend").value_or(from);
    c.table->AddRows(c.db, R"(SELECT d.departdate, es.name, rt.name, p.code, p.departtime, v.vehicleno, d.departinvoicesno,
                                     CASE WHEN d.issupplement = 1 THEN '补开' ELSE '正常' END ||
                                       CASE WHEN d.reprints > 0 THEN '(重打' || d.reprints || '次)' ELSE '' END,
                                     (SELECT count(*) FROM ticket t WHERE t.vehiclereportid = d.vehiclereportid
                                        AND t.ischecked = 1 AND t.status = '0'),
                                     d.ticketnum, d.balanceamount, d.scheduleplanid, d.vehiclereportid,
                                     d.vehiclereportid, d.id, d.totalamount, ds.name
                              FROM departinvoice d JOIN scheduleplan p ON p.id = d.scheduleplanid
                              JOIN route rt ON rt.id = p.routeid JOIN station es ON es.id = p.endstationid
                              JOIN station ds ON ds.id = p.departstationid
                              JOIN vehicle v ON v.id = d.vehicleid
                              WHERE d.vehicleid = ?1 AND d.departdate BETWEEN ?2 AND ?3
                                AND (?4 IS NULL OR d.printorgid = ?4)
                              ORDER BY d.departdate, p.departtime, d.id)",
                     {c.request.Id("vehicleid"), from, to, Sql(c.request.OptId("printorgid"))});
}

void ReportsOfDay(Call& c)
{
    c.table->AddRows(c.db, R"(SELECT r.id, p.id, p.code, p.departtime, rt.name, es.name
                              FROM vehiclereport r JOIN scheduleplan p ON p.id = r.scheduleplanid
                              JOIN route rt ON rt.id = p.routeid JOIN station es ON es.id = p.endstationid
                              WHERE r.vehicleid = ?1 AND r.departdate = ?2 AND r.isactive = 1
                                AND (?3 IS NULL OR r.reportorgid = ?3)
                              ORDER BY p.departtime, r.id)",
                     {c.request.Id("vehicleid"), c.request.OptDay("departdate").value_or(c.clock.Today()),
                      Sql(c.request.OptId("printorgid"))});
}

void SoldTickets(Call& c)
{
    const auto number = Trim(c.request.Text("departinvoicesno"));
    const auto day = c.request.OptDay("departdate");
    c.table->AddRows(c.db, R"(SELECT t.departdate, COALESCE(d.departinvoicesno, ''), rt.name, t.ticketno, p.code,
                                     p.departtime, rs.name, t.seatno, tt.name, t.price,
                                     CASE WHEN t.departinvoicesid IS NOT NULL THEN '已打单'
                                          WHEN t.ischecked = 1 THEN '已检' ELSE '未检' END,
                                     t.id
                              FROM ticket t JOIN scheduleplan p ON p.id = t.scheduleplanid
                              JOIN route rt ON rt.id = p.routeid JOIN station rs ON rs.id = t.reachstationid
                              JOIN tickettype tt ON tt.code = t.tickettypecode
                              LEFT JOIN departinvoice d ON d.id = t.departinvoicesid
                              WHERE t.scheduleplanid = ?1 AND t.status = '0'
                                AND (t.vehiclereportid = ?2 OR (t.vehiclereportid IS NULL AND p.islinework = 0))
                                AND (?3 IS NULL OR t.departdate = ?3)
                                AND (?4 = '' OR d.departinvoicesno = ?4)
                              ORDER BY t.seatno, t.ticketno)",
                     {c.request.Id("scheduleplanid"), c.request.Id("vehiclereportid"), day ? SqlValue(*day) : SqlNull(),
                      number});
}

} // namespace

void AddSlipEndpoints(std::vector<Endpoint>& e)
{
    e.push_back({"bill/initBillNo", "", {"curbillno", "curbillnum", "billlength"}, {}, false, InitBillNo});
    e.push_back({"checkticket/selfVehicleDepartinvoice", "invoiceslist", {"msg1"}, kSlipColumns, true, IssueInvoice});
    e.push_back({"checkticket/qryprintinvoices", "departinvoicesMap", {}, kSlipColumns, true, SupplementInvoice});
    e.push_back({"checkticket/qryDeductfees", "invoicesdetaillist", {}, {S("code", 20), N("deductmoney"), S("name", 50)},
                 false, Deductions});
    e.push_back({"checkticket/qryInvoicesDetailPrintInfo", "invoicesdetaillist", {},
                 {S("fromstation", 50), S("reachstation", 50), I("fullpeople"), I("halfpeople"), I("discountpeople"),
                  I("freepeople"), N("price"), I("distance"), N("totalamount"), N("noservicestationfee"),
                  N("balanceprice"), N("balanceamount"), N("noagentbalanceamount")},
                 false, Details});
    e.push_back({"checkticket/qryDepartinvoicesByorg", "departinvoicesMap", {},
                 {D("departdate"), S("stationname", 50), S("routename", 50), S("code", 20), S("departtime", 10),
                  S("vehicleno", 20), S("departinvoicesno", 20), S("departstatus", 30), I("tickets"), I("ticketnum"),
                  N("balanceamount"), L("scheduleplanid"), L("vehiclereportid"), L("reportid"), L("id"),
                  N("totalamount"), S("departstation", 50)},
                 false, SlipsOfVehicle});
    e.push_back({"checkticket/QryReportSchs", "departinvoicesMap", {},
                 {L("reportid"), L("scheduleplanid"), S("code", 20), S("departtime", 10), S("routename", 50),
                  S("endstation", 50)},
                 false, ReportsOfDay});
    e.push_back({"checkticket/qryTicketsellsByVehicle", "departinvoicesMap", {},
                 {D("departdate"), S("departinvoicesno", 20), S("name", 50), S("ticketno", 20), S("code", 20),
                  S("departtime", 10), S("reachname", 50), I("seatno"), S("tickettypename", 20), N("price"),
                  S("dticketstatus", 20), L("id")},
                 false, SoldTickets});
}

} // namespace stationd
