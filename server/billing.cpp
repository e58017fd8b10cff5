#include "billing.h"

#include "request.h"

#include <map>
#include <tuple>
#include <vector>

namespace stationd {

Report LoadReport(Database& db, std::int64_t reportid)
{
    Report report;
    db.Each("SELECT id, vehicleid, scheduleplanid, departdate, isdeparted FROM vehiclereport WHERE id = ? AND isactive = 1",
            {reportid}, [&](const Row& r) {
                report.id = r.Int(0);
                report.vehicleid = r.Int(1);
                report.planid = r.Int(2);
                report.departdate = r.Text(3);
                report.departed = r.Int(4) != 0;
            });
    if (report.id == 0)
        throw Refused("该车辆报班记录不存在：" + std::to_string(reportid));
    return report;
}

TicketCheck EvaluateTicket(Database& db, const CheckRequest& request)
{
    struct Facts {
        std::int64_t id = 0, plan = 0, departstation = 0;
        std::string departdate, status, checktime, code, reach, planStatus, boarding;
        int seatno = 0;
        bool checked = false, planDeparted = false;
    } t;
    db.Each(R"(SELECT t.id, t.scheduleplanid, t.departdate, t.seatno, t.status, t.ischecked, t.checktime,
                      t.departstationid, p.code, rs.name, p.status, p.isdeparted, ds.name
               FROM ticket t JOIN scheduleplan p ON p.id = t.scheduleplanid
               JOIN station rs ON rs.id = t.reachstationid JOIN station ds ON ds.id = t.departstationid
               WHERE t.ticketno = ?)",
            {request.ticketno}, [&](const Row& r) {
                t.id = r.Int(0);
                t.plan = r.Int(1);
                t.departdate = r.Text(2);
                t.seatno = static_cast<int>(r.Int(3));
                t.status = r.Text(4);
                t.checked = r.Int(5) != 0;
                t.checktime = r.Text(6);
                t.departstation = r.Int(7);
                t.code = r.Text(8);
                t.reach = r.Text(9);
                t.planStatus = r.Text(10);
                t.planDeparted = r.Int(11) != 0;
                t.boarding = r.Text(12);
            });
    if (t.id == 0)
        throw Refused("票号" + request.ticketno + "不存在！");
    if (t.status != "0")
        throw Refused("该票已退票，不能检票！");
    const std::string day = request.day.value_or(request.report.departdate);
    if (t.departdate != day || t.departdate != request.report.departdate)
        throw Refused("该票不是" + day + "的车票（乘车日期" + t.departdate + "），不能检票！");
    if (t.planStatus == "1")
        throw Refused("班次" + t.code + "已停班，不能检票！");
    TicketCheck check;
    db.Each("SELECT id, isdeparted FROM vehiclereport WHERE vehicleid = ? AND scheduleplanid = ? AND isactive = 1 "
            "ORDER BY id LIMIT 1",
            {request.report.vehicleid, t.plan}, [&](const Row& r) {
                check.reportid = r.Int(0);
                check.departed = r.Int(1) != 0;
            });
    if (check.reportid == 0)
        throw Refused("该票是班次" + t.code + "的车票，不是本车报班班次的车票！");
    if (request.station && *request.station != t.departstation)
        throw Refused("该票在" + t.boarding + "上车，不能在本站检票！");
    if (t.checked)
        throw Refused("该票已于" + t.checktime + "检票，不能重复检票！");
    check.departed = check.departed || t.planDeparted;
    if (check.departed && !(request.lazy && check.reportid == request.report.id))
        throw Refused("班次" + t.code + "已发车，不能检票！");
    check.ticketid = t.id;
    check.planid = t.plan;
    check.code = t.code;
    check.reach = t.reach;
    check.seatno = t.seatno;
    return check;
}

std::string TakeBillNumber(Database& db, const std::string& billtypecode)
{
    const auto length = db.Int("SELECT ticketnolength FROM billtype WHERE code = ?", {billtypecode});
    if (!length)
        throw Refused("票据类型不存在：" + billtypecode);
    std::int64_t stock = 0, next = 0;
    db.Each("SELECT id, nextno FROM billinuse WHERE billtypecode = ? AND isactive = 1 AND nextno <= endno "
            "ORDER BY id LIMIT 1",
            {billtypecode}, [&](const Row& r) {
                stock = r.Int(0);
                next = r.Int(1);
            });
    if (stock == 0)
        throw Refused("结算单票据已用完，请重新领取票据！");
    db.Run("UPDATE billinuse SET nextno = nextno + 1 WHERE id = ?", {stock});
    std::string number = std::to_string(next);
    if (number.size() < static_cast<std::size_t>(*length))
        number.insert(0, static_cast<std::size_t>(*length) - number.size(), '0');
    return number;
}

namespace {

struct Deduction {
    std::string code, name, mode, kind;
    std::int64_t value = 0;
};

struct Group {
    std::int64_t from = 0, reach = 0;
    int full = 0, half = 0, discount = 0, free = 0;
    std::int64_t total = 0;
    std::vector<std::int64_t> tickets;
    int Paying() const { return full + half + discount; }
};

std::int64_t RateOf(std::int64_t amount, std::int64_t hundredthsOfPercent)
{
    return (amount * hundredthsOfPercent + 5000) / 10000;
}

std::int64_t DeductionOf(const Deduction& d, std::int64_t amount, int paying)
{
    return d.mode == "rate" ? RateOf(amount, d.value) : d.value * paying;
}

// Fare and distance between two stops of a route: the differences of their figures from the start.
std::pair<std::int64_t, std::int64_t> FareAndDistance(Database& db, std::int64_t route, std::int64_t from,
                                                      std::int64_t reach)
{
    std::int64_t fare = 0, distance = 0;
    db.Each(R"(SELECT r.fare - f.fare, r.distance - f.distance FROM routestop f JOIN routestop r ON r.routeid = f.routeid
               WHERE f.routeid = ? AND f.stationid = ? AND r.stationid = ?)",
            {route, from, reach}, [&](const Row& row) {
                fare = row.Int(0);
                distance = row.Int(1);
            });
    return {fare, distance};
}

} // namespace

std::int64_t IssueSlip(Database& db, const SlipOrder& order)
{
    std::int64_t plan = 0, vehicle = 0, unit = 0, route = 0;
    std::string departdate;
    db.Each(R"(SELECT r.scheduleplanid, r.vehicleid, v.unitid, p.routeid, r.departdate FROM vehiclereport r
               JOIN vehicle v ON v.id = r.vehicleid JOIN scheduleplan p ON p.id = r.scheduleplanid WHERE r.id = ?)",
            {order.reportid}, [&](const Row& r) {
                plan = r.Int(0);
                vehicle = r.Int(1);
                unit = r.Int(2);
                route = r.Int(3);
                departdate = r.Text(4);
            });
    if (plan == 0)
        throw Refused("该车辆报班记录不存在：" + std::to_string(order.reportid));

    std::map<std::pair<std::int64_t, std::int64_t>, Group> groups;
    int freeTickets = 0, armTickets = 0, ticketCount = 0;
    db.Each(R"(SELECT t.id, t.departstationid, t.reachstationid, t.price, tt.category, tt.isarm FROM ticket t
               JOIN tickettype tt ON tt.code = t.tickettypecode
               WHERE t.vehiclereportid = ? AND t.ischecked = 1 AND t.status = '0' AND t.departinvoicesid IS NULL
               ORDER BY t.id)",
            {order.reportid}, [&](const Row& r) {
                auto& g = groups[{r.Int(1), r.Int(2)}];
                g.from = r.Int(1);
                g.reach = r.Int(2);
                g.total += r.Int(3);
                g.tickets.push_back(r.Int(0));
                const std::string category = r.Text(4);
                if (category == "full")
                    ++g.full;
                else if (category == "half")
                    ++g.half;
                else if (category == "discount")
                    ++g.discount;
                else
                    ++g.free;
                freeTickets += category == "free";
                armTickets += r.Int(5) != 0;
                ++ticketCount;
            });
    if (ticketCount == 0)
        throw Refused("该班次没有已检未打单的车票，不能打印结算单！");

    std::vector<Deduction> deductions;
    db.Each("SELECT code, name, mode, kind, value FROM deductitem WHERE unitid = ? ORDER BY orderno", {unit},
            [&](const Row& r) { deductions.push_back({r.Text(0), r.Text(1), r.Text(2), r.Text(3), r.Int(4)}); });

    std::int64_t total = 0, stationfee = 0, agentfee = 0, fuel = 0, other = 0;
    std::vector<std::int64_t> perItem(deductions.size(), 0);
    struct Detail {
        const Group* group;
        std::int64_t price, distance, stationfee, agentfee, deductions, balanceprice;
    };
    std::vector<Detail> details;
    for (const auto& [key, g] : groups) {
        const auto [price, distance] = FareAndDistance(db, route, g.from, g.reach);
        Detail d{&g, price, distance, 0, 0, 0, price};
        for (std::size_t i = 0; i < deductions.size(); ++i) {
            const std::int64_t money = DeductionOf(deductions[i], g.total, g.Paying());
            perItem[i] += money;
            d.deductions += money;
            d.balanceprice -= DeductionOf(deductions[i], price, 1);
            if (deductions[i].kind == "station")
                d.stationfee += money;
            else if (deductions[i].kind == "agent")
                d.agentfee += money;
            else if (deductions[i].kind == "fuel")
                fuel += money;
            else
                other += money;
        }
        total += g.total;
        stationfee += d.stationfee;
        agentfee += d.agentfee;
        details.push_back(d);
    }
    std::int64_t allDeductions = 0;
    for (auto money : perItem)
        allDeductions += money;

    const auto outlet = db.Int("SELECT id FROM ticketoutlet WHERE isself = 1 ORDER BY id LIMIT 1");
    const auto orgid = db.Int("SELECT reportorgid FROM vehiclereport WHERE id = ?", {order.reportid}).value_or(0);
    const std::string checkedname =
        db.Text("SELECT name FROM userinfo WHERE orgid = ? ORDER BY id LIMIT 1", {orgid}).value_or("");
    db.Run(R"(INSERT INTO departinvoice(departinvoicesno, scheduleplanid, vehiclereportid, vehicleid, departdate,
                  printtime, printip, printorgid, ticketoutletid, checkedname, ticketnum, freetickets, armtickets,
                  totalamount, stationfee, agentfee, fueladditionfee, otherfee, balanceamount, issupplement, remarks)
              VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?))",
           {order.number, plan, order.reportid, vehicle, departdate, order.printtime, order.ip, orgid, Sql(outlet),
            checkedname, std::int64_t{ticketCount}, std::int64_t{freeTickets}, std::int64_t{armTickets}, total,
            stationfee, agentfee, fuel, other, total - allDeductions, std::int64_t{order.supplement},
            std::string(order.supplement ? "补开" : "")});
    const std::int64_t slip = db.LastId();
    for (std::size_t i = 0; i < deductions.size(); ++i)
        db.Run("INSERT INTO departinvoicededuct(departinvoicesid, code, name, deductmoney, orderno) VALUES(?,?,?,?,?)",
               {slip, deductions[i].code, deductions[i].name, perItem[i], static_cast<std::int64_t>(i + 1)});
    std::int64_t orderno = 0;
    for (const auto& d : details) {
        const Group& g = *d.group;
        db.Run(R"(INSERT INTO departinvoicedetail(departinvoicesid, fromstationid, reachstationid, fullpeople, halfpeople,
                      discountpeople, freepeople, price, distance, totalamount, stationfee, agentfee, deductions,
                      balanceprice, orderno) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?))",
               {slip, g.from, g.reach, std::int64_t{g.full}, std::int64_t{g.half}, std::int64_t{g.discount},
                std::int64_t{g.free}, d.price, d.distance, g.total, d.stationfee, d.agentfee, d.deductions,
                d.balanceprice, ++orderno});
        for (auto ticket : g.tickets)
            db.Run("UPDATE ticket SET departinvoicesid = ? WHERE id = ?", {slip, ticket});
    }
    return slip;
}

} // namespace stationd
