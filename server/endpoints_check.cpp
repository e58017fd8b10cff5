// The ticket check screen: reported schedules, the schedule plan, the ticket list, the checks,
// the entrances and the seat states.
#include "billing.h"
#include "service.h"

#include <map>

namespace stationd {

using namespace col;

namespace {

void AbnormalSchedules(Call& c)
{
    c.table->AddRows(c.db, R"(SELECT p.id, rt.name, p.code, p.departdate, p.departtime,
                                     (SELECT count(*) FROM ticket t WHERE t.scheduleplanid = p.id AND t.status = '0'),
                                     p.statusname, p.reason
                              FROM scheduleplan p JOIN route rt ON rt.id = p.routeid
                              WHERE p.departdate = ?1 AND p.status <> '0' AND (?2 IS NULL OR p.departstationid = ?2)
                              ORDER BY p.departtime, p.id)",
                     {c.clock.Today(), Sql(c.request.OptId("departstationid"))});
}

void ExtraSchedules(Call& c)
{
    c.table->AddRows(c.db, R"(SELECT p.id, rt.name, p.code, p.departdate, p.departtime,
                                     (SELECT count(*) FROM ticket t WHERE t.scheduleplanid = p.id AND t.status = '0'),
                                     p.vehicleparkname
                              FROM scheduleplan p JOIN route rt ON rt.id = p.routeid
                              WHERE p.departdate = ? AND p.isovertime = 1 ORDER BY p.departtime, p.id)",
                     {c.clock.Today()});
}

void ReportedSchedules(Call& c)
{
    const auto vehicle = c.request.Id("vehicleid");
    const std::string day = c.request.OptDay("departdate").value_or(c.clock.Today());
    c.table->AddRows(c.db, R"(SELECT r.id, p.code,
                                     CASE WHEN p.islinework = 1 THEN r.reporttime
                                          ELSE p.departdate || ' ' || p.departtime || ':00' END,
                                     p.islinework, p.id, es.name, p.departtime, r.isdeparted OR p.isdeparted
                              FROM vehiclereport r JOIN scheduleplan p ON p.id = r.scheduleplanid
                              JOIN station es ON es.id = p.endstationid
                              WHERE r.vehicleid = ?1 AND r.departdate = ?2 AND r.isactive = 1
                                AND (?3 IS NULL OR r.reportorgid = ?3)
                                AND (?4 = '' OR instr(UPPER(p.code), UPPER(?4)) > 0)
                              ORDER BY p.departtime, r.id)",
                     {vehicle, day, Sql(c.request.OptId("reportorgid")), Trim(c.request.Text("param"))});
}

// "hh:nn" of a time or date-time text, for the departure-time filter.
std::optional<std::string> TimeFilter(const Request& request)
{
    std::string value = Trim(request.Text("filter_GES_ss!departtime"));
    if (value.empty())
        return std::nullopt;
    if (const auto blank = value.find(' '); blank != std::string::npos)
        value = value.substr(blank + 1);
    if (value.size() < 5 || value[2] != ':')
        throw BadInput("参数filter_GES_ss!departtime不是时间：" + value);
    return value.substr(0, 5);
}

SqlValue Opt(const std::optional<std::string>& value) { return value ? SqlValue(*value) : SqlNull(); }

SqlValue OptBool(const Request& request, const std::string& name)
{
    const auto value = request.OptBool(name);
    return value ? SqlValue(std::int64_t{*value}) : SqlNull();
}

void SchedulePlans(Call& c)
{
    const Request& q = c.request;
    q.OnlyFilters({"filter_EQL_sp!id", "filter_EQL_sp!endstationid", "filter_EQL_sp!scheduleid",
                   "filter_EQB_ss!isreported", "filter_EQB_ss!isdeparted", "filter_GES_ss!departtime",
                   "filter_INS_ss!departstationid", "filter_INS_ta!id", "filter_EQL_vr!id", "filter_EQL_vr!vehicleid"});
    const std::string day = q.OptDay("departdate").value_or(c.clock.Today());
    q.IdList("filter_INS_ss!departstationid");
    q.IdList("filter_INS_ta!id");
    c.table->AddRows(
        c.db,
        R"(SELECT p.id, r.id, p.code, p.departdate, p.departtime, ds.name, es.name, rt.name, p.islinework,
                  p.isdeparted, p.isovertime, p.seatnum,
                  (SELECT count(*) FROM ticket t WHERE t.scheduleplanid = p.id AND t.status = '0'),
                  (SELECT count(*) FROM ticket t WHERE t.scheduleplanid = p.id AND t.status = '0' AND t.ischecked = 1),
                  v.id, v.vehicleno, p.endstationid, p.routeid, p.scheduleid
           FROM scheduleplan p JOIN route rt ON rt.id = p.routeid
           JOIN station ds ON ds.id = p.departstationid JOIN station es ON es.id = p.endstationid
           LEFT JOIN vehiclereport r ON r.scheduleplanid = p.id AND r.isactive = 1
           LEFT JOIN vehicle v ON v.id = r.vehicleid
           WHERE p.departdate = ?1
             AND (?2 IS NULL OR r.reportorgid = ?2)
             AND (?3 IS NULL OR p.departstationid = ?3)
             AND (?4 IS NULL OR instr(?4, ',' || p.departstationid || ',') > 0)
             AND (?5 IS NULL OR r.id = ?5)
             AND (?6 IS NULL OR r.vehicleid = ?6)
             AND (?7 IS NULL OR p.id = ?7)
             AND (?8 IS NULL OR p.endstationid = ?8)
             AND (?9 IS NULL OR p.scheduleid = ?9)
             AND (?10 IS NULL OR p.isreported = ?10)
             AND (?11 IS NULL OR p.isdeparted = ?11)
             AND (?12 IS NULL OR p.departtime >= ?12)
             AND (?13 IS NULL OR instr(?13, ',' || p.ticketentranceid || ',') > 0)
           ORDER BY p.departtime, p.id, r.id)",
        {day, Sql(q.OptId("reportorgid")), Sql(q.OptId("checkstationid")), Opt(q.ListPattern("filter_INS_ss!departstationid")),
         Sql(q.OptId("filter_EQL_vr!id")), Sql(q.OptId("filter_EQL_vr!vehicleid")), Sql(q.OptId("filter_EQL_sp!id")),
         Sql(q.OptId("filter_EQL_sp!endstationid")), Sql(q.OptId("filter_EQL_sp!scheduleid")),
         OptBool(q, "filter_EQB_ss!isreported"), OptBool(q, "filter_EQB_ss!isdeparted"), Opt(TimeFilter(q)),
         Opt(q.ListPattern("filter_INS_ta!id"))});
}

void CheckedTickets(Call& c)
{
    c.request.OnlyFilters({"filter_EQL_sp!id", "filter_EQL_t!vehiclereportid"});
    const auto plan = c.request.Id("filter_EQL_sp!id");
    c.table->AddRows(c.db, R"(SELECT t.departdate, t.ticketno, p.departtime, rs.name, t.seatno, t.price, tt.name,
                                     CASE WHEN t.ischecked = 1 THEN '已检票' ELSE '未检票' END,
                                     CASE WHEN t.departinvoicesid IS NULL THEN '未打单' ELSE '已打单' END,
                                     t.id, t.tickettypecode, t.ischecked, t.checktime, ds.name
                              FROM ticket t JOIN scheduleplan p ON p.id = t.scheduleplanid
                              JOIN station rs ON rs.id = t.reachstationid JOIN station ds ON ds.id = t.departstationid
                              JOIN tickettype tt ON tt.code = t.tickettypecode
                              WHERE t.scheduleplanid = ?1 AND t.status = '0'
                                AND (?2 IS NULL OR t.vehiclereportid = ?2)
                              ORDER BY t.seatno, t.ticketno)",
                     {plan, Sql(c.request.OptId("filter_EQL_t!vehiclereportid"))});
}

std::string RequiredTicketNo(const Request& request)
{
    const std::string ticketno = Trim(request.Text("ticketno"));
    if (ticketno.empty())
        throw BadInput("缺少参数：ticketno");
    return ticketno;
}

void PreCheck(Call& c)
{
    CheckRequest check;
    check.ticketno = RequiredTicketNo(c.request);
    check.report = LoadReport(c.db, c.request.Id("vehiclereportid"));
    check.day = c.request.OptDay("departdate");
    check.lazy = true; // the pre-check does not know yet whether the kiosk checks late
    Transaction read(c.db, Transaction::Mode::Read);
    EvaluateTicket(c.db, check);
    c.answer["msg"] = "票号校验通过";
}

void Check(Call& c)
{
    CheckRequest check;
    check.ticketno = RequiredTicketNo(c.request);
    const auto reportid = c.request.Id("vehiclereportid");
    check.station = c.request.OptId("checkstationid");
    check.lazy = c.request.Bool("islazycheck", false);
    check.day = c.request.OptDay("departdate1");
    const auto sellid = c.request.OptId("ticketsellid");
    Transaction write(c.db, Transaction::Mode::Write);
    check.report = LoadReport(c.db, reportid);
    const TicketCheck ticket = EvaluateTicket(c.db, check);
    if (sellid && *sellid != ticket.ticketid)
        throw Refused("售票记录与票号不符！");
    const int changed = c.db.Run(
        R"(UPDATE ticket SET ischecked = 1, checkmode = '7', checktime = ?, checkstationid = ?, checkip = ?,
                  ticketentrance = ?, vehiclereportid = ? WHERE id = ? AND ischecked = 0)",
        {c.clock.Now(), Sql(check.station), c.request.Text("ip"), c.request.Text("ticketentrance"), ticket.reportid,
         ticket.ticketid});
    if (changed != 1)
        throw Refused("该票已检，不能重复检票！");
    write.Commit();
    std::string msg = (ticket.departed ? "补检成功！" : "检票成功！");
    if (ticket.seatno > 0)
        msg += std::to_string(ticket.seatno) + "号座，";
    msg += "到站：" + ticket.reach;
    if (ticket.reportid != reportid)
        msg += "（本车" + ticket.code + "班次）";
    c.answer["msg"] = msg;
    c.answer["scheduleplanid"] = ticket.planid;
    c.answer["reportid"] = std::to_string(ticket.reportid);
}

void SameReport(Call& c)
{
    const std::string ticketno = RequiredTicketNo(c.request);
    const Report report = LoadReport(c.db, c.request.Id("vehiclereportid"));
    const auto target = c.db.Int(R"(SELECT r.id FROM ticket t JOIN vehiclereport r ON r.scheduleplanid = t.scheduleplanid
                                    WHERE t.ticketno = ? AND r.vehicleid = ? AND r.isactive = 1 ORDER BY r.id LIMIT 1)",
                                 {ticketno, report.vehicleid});
    if (!target)
        throw Refused("该票不属于本车辆的报班班次");
    c.answer["msg"] = *target == report.id ? std::string("0") : std::to_string(*target);
}

void Entrances(Call& c)
{
    c.table->AddRows(c.db, "SELECT id, name, code FROM ticketentrance WHERE (?1 IS NULL OR orgid = ?1) ORDER BY id",
                     {Sql(c.request.OptId("orgid"))});
}

// One row per seat and ticket: a seat with tickets gives a row per ticket ("2" unchecked, the
// check mode "7" or "8" once checked); a seat without one its reservation state or "0".
void SeatStates(Call& c)
{
    const auto plan = c.request.Id("scheduleplanid");
    Transaction read(c.db, Transaction::Mode::Read);
    const auto seats = c.db.Int("SELECT CASE WHEN islinework = 1 THEN 0 ELSE seatnum END FROM scheduleplan WHERE id = ?",
                                {plan});
    if (!seats)
        throw Refused("班次不存在：" + std::to_string(plan));
    std::map<std::int64_t, std::vector<Json>> tickets;
    c.db.Each(R"(SELECT t.seatno, t.ischecked, t.checkmode, t.tickettypecode, t.ticketno, t.departstationid, rs.name,
                        rs.colortype, tt.name
                 FROM ticket t JOIN station rs ON rs.id = t.reachstationid JOIN tickettype tt ON tt.code = t.tickettypecode
                 WHERE t.scheduleplanid = ? AND t.status = '0' AND t.seatno > 0 ORDER BY t.seatno, t.id)",
              {plan}, [&](const Row& r) {
                  const bool checked = r.Int(1) != 0;
                  Json row = Json::object();
                  row["seatno"] = r.Int(0);
                  row["status"] = checked ? (r.IsNull(2) ? std::string("7") : r.Text(2)) : std::string("2");
                  row["tickettype"] = r.Text(3);
                  row["seattype"] = "1";
                  row["ticketno"] = r.Text(4);
                  row["ischecked"] = checked;
                  row["departstationid"] = r.Int(5);
                  row["seatinfo"] = r.Text(6);
                  row["colortype"] = r.Text(7);
                  row["hint"] = r.Text(4) + " " + r.Text(8) + " " + r.Text(6) + (checked ? " 已检" : "");
                  tickets[r.Int(0)].push_back(std::move(row));
              });
    std::map<std::int64_t, std::pair<std::string, std::string>> reserved;
    c.db.Each("SELECT seatno, status, hint FROM seatreserve WHERE scheduleplanid = ?", {plan},
              [&](const Row& r) { reserved[r.Int(0)] = {r.Text(1), r.Text(2)}; });
    for (std::int64_t seat = 1; seat <= *seats; ++seat) {
        if (auto found = tickets.find(seat); found != tickets.end()) {
            for (auto& row : found->second)
                c.table->AddRow(std::move(row));
            continue;
        }
        const auto reservation = reserved.find(seat);
        Json row = Json::object();
        row["seatno"] = seat;
        row["status"] = reservation != reserved.end() ? reservation->second.first : std::string("0");
        row["tickettype"] = "";
        row["seattype"] = "1";
        row["ticketno"] = "0";
        row["ischecked"] = false;
        row["departstationid"] = nullptr;
        row["seatinfo"] = "";
        row["colortype"] = "";
        row["hint"] = reservation != reserved.end() ? reservation->second.second : std::string("空座");
        c.table->AddRow(std::move(row));
    }
}

} // namespace

void AddCheckEndpoints(std::vector<Endpoint>& e)
{
    e.push_back({"checkticket/qryNonomalSch", "departinvoicesMap", {},
                 {L("id"), S("name", 50), S("code", 20), D("departdate"), S("departtime", 10), I("soldeatnum"),
                  S("statusname", 20), S("reason", 200)},
                 false, AbnormalSchedules});
    e.push_back({"checkticket/qryNonomalSchadd", "departinvoicesMap", {},
                 {L("id"), S("routename", 50), S("schedulecode", 20), D("departdate"), S("departtime", 10),
                  I("soldeatnum"), S("vehicleparkname", 50)},
                 false, ExtraSchedules});
    e.push_back({"system/tavrelSchedule", "helpmap", {},
                 {L("id"), S("name", 20), T("departdate"), B("islinework"), L("scheduleplanid"), S("endstation", 50),
                  S("departtime", 10), B("isdeparted")},
                 false, ReportedSchedules});
    e.push_back({"checkticket/qryScheduleplan", "planlist", {},
                 {L("id"), L("vehiclereportid"), S("code", 20), D("departdate"), S("departtime", 10),
                  S("departstation", 50), S("endstation", 50), S("routename", 50), B("islinework"), B("isdeparted"),
                  B("isovertime"), I("seatnum"), I("soldeatnum"), I("checkednum"), L("vehicleid"), S("vehicleno", 20),
                  L("endstationid"), L("routeid"), L("scheduleid")},
                 false, SchedulePlans});
    e.push_back({"checkticket/queryCheckedticket", "ticketlist", {},
                 {D("departdate"), S("ticketno", 20), S("departtime", 10), S("reachstation", 50), I("seatno"),
                  N("price"), S("tickettypename", 20), S("dticketstatus", 20), S("printstatus", 20), L("id"),
                  S("tickettype", 10), B("ischecked"), S("checktime", 30), S("departstation", 50)},
                 false, CheckedTickets});
    e.push_back({"checkticket/checkisschedule", "", {}, {}, false, PreCheck});
    e.push_back({"checkticket/checkbyTicketno", "", {"scheduleplanid", "reportid"}, {}, false, Check});
    e.push_back({"checkticket/qryIssamerep", "", {}, {}, false, SameReport});
    e.push_back({"checkticket/qryTicketentrance", "entrancelist", {}, {I("ID"), S("name", 50), S("CODE", 20)}, false,
                 Entrances});
    e.push_back({"checkticket/qrySeatstatus", "seatstatuslist", {},
                 {I("seatno"), S("status", 10), S("tickettype", 10), S("seattype", 10), S("ticketno", 20),
                  B("ischecked"), L("departstationid"), S("seatinfo", 100), S("colortype", 10), S("hint", 200)},
                 false, SeatStates});
}

} // namespace stationd

