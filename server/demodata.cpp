#include "demodata.h"

#include "billing.h"
#include "calendar.h"
#include "pictures.h"
#include "schema.h"

#include <cstdio>
#include <filesystem>
#include <vector>

namespace stationd {

namespace {

using I64 = std::int64_t;

// Ids the rules and the README refer to.
constexpr I64 kOrg = 11, kStation = 101;
constexpr I64 kVehicle1 = 71, kVehicle2 = 72, kVehicle3 = 73;
constexpr I64 kSeat = 61, kDriverSeat = 62, kDoor = 63, kBerth = 64, kAisle = 65;

// The extra line-work tickets of --line-tickets are numbered after this one.
constexpr int kExtraLineTicket = 1000000;

std::string TicketNo(int number)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%010d", number);
    return buffer;
}

void Organisation(Database& db)
{
    db.Script(R"(
INSERT INTO organization VALUES(1, '广东省汽车客运集团', NULL, NULL);
INSERT INTO organization VALUES(11, '广州市汽车客运站', 1, 101);
INSERT INTO station VALUES(101, 'GZ', '广州', '');
INSERT INTO station VALUES(102, 'QY', '清远', '1');
INSERT INTO station VALUES(103, 'YD', '英德', '3');
INSERT INTO station VALUES(104, 'SG', '韶关', '2');
INSERT INTO station VALUES(105, 'DG', '东莞', '5');
INSERT INTO station VALUES(106, 'SZ', '深圳', '6');
INSERT INTO station VALUES(107, 'FS', '佛山', '1');
INSERT INTO station VALUES(108, 'SH', '四会', '3');
INSERT INTO station VALUES(109, 'ZQ', '肇庆', '2');
INSERT INTO department VALUES(21, '客运服务部', 11);
INSERT INTO ticketoutlet VALUES(31, 'ZZ01', '自助检票打单机01', '自助01', 11, 1);
INSERT INTO ticketoutlet VALUES(32, 'SP01', '一号售票窗口', '窗口01', 11, 0);
INSERT INTO userinfo VALUES(1001, 'kiosk01', '自助终端', '123456', 11, 21, 1);
INSERT INTO userinfo VALUES(1002, 'zhangsan', '张三', '888888', 11, 21, 1);
INSERT INTO userinfo VALUES(1003, 'lisi', '李四', '888888', 11, 21, 0);
INSERT INTO parameter VALUES('3009', 0, '1', '检票界面自动刷新');
INSERT INTO parameter VALUES('3007', 0, '30', '检票界面刷新间隔（秒）');
INSERT INTO billtype VALUES(1, 'Ticket', '客票', 10);
INSERT INTO billtype VALUES(2, 'BalanceBill', '结算单', 8);
INSERT INTO billinuse VALUES(1, 'BalanceBill', 30001, 30100, 30001, 1);
INSERT INTO ticketentrance VALUES(1, 'A1', '1号检票口', 11);
INSERT INTO ticketentrance VALUES(2, 'A2', '2号检票口', 11);
INSERT INTO ticketentrance VALUES(3, 'B1', '3号检票口', 11);
)");
}

void Units(Database& db)
{
    // Two deduction sets: the vehicles of each unit settle by their own.
    db.Script(R"(
INSERT INTO unit VALUES(41, '粤运公司', '广州市粤运汽车运输有限公司', '粤运公司结算中心');
INSERT INTO unit VALUES(42, '肇运公司', '肇庆市肇运汽车运输有限公司', '肇运公司财务部');
INSERT INTO deductitem VALUES(1, 41, 'zwf', '客运站务费', 'rate', 1000, 'station', 1);
INSERT INTO deductitem VALUES(2, 41, 'dlf', '代理费', 'rate', 200, 'agent', 2);
INSERT INTO deductitem VALUES(3, 41, 'ryf', '燃油附加费', 'perticket', 100, 'fuel', 3);
INSERT INTO deductitem VALUES(4, 41, 'bxf', '旅客保险费', 'perticket', 50, 'other', 4);
INSERT INTO deductitem VALUES(5, 42, 'zwf', '客运站务费', 'rate', 1000, 'station', 1);
INSERT INTO deductitem VALUES(6, 42, 'dlf', '代理费', 'rate', 300, 'agent', 2);
INSERT INTO deductitem VALUES(7, 42, 'ajf', '安检费', 'perticket', 200, 'other', 3);
)");
}

void SpacesAndPictures(Database& db)
{
    struct Space {
        I64 id;
        const char* name;
        bool passenger;
        const char* seattype;
    };
    for (const Space& s : {Space{kSeat, "座位", true, "1"}, Space{kDriverSeat, "驾驶座", false, ""},
                           Space{kDoor, "车门", false, ""}, Space{kBerth, "卧铺", true, "2"},
                           Space{kAisle, "过道", false, ""}}) {
        const std::string picture = DemoJpegHex("space-" + std::to_string(s.id));
        db.Run("INSERT INTO vehiclespace VALUES(?,?,?,?,?)",
               {s.id, std::string(s.name), I64{s.passenger}, std::string(s.seattype),
                picture.empty() ? SqlNull() : SqlValue(picture)});
    }
    struct Type {
        I64 id;
        const char* code;
        const char* name;
        const char* category;
        bool arm;
    };
    for (const Type& t : {Type{1, "Q", "全票", "full", false}, Type{2, "B", "半票", "half", false},
                          Type{3, "Y", "优惠票", "discount", false}, Type{4, "X", "学生票", "discount", false},
                          Type{5, "M", "免票", "free", false}, Type{6, "J", "军残票", "half", true}}) {
        const std::string code = t.code;
        db.Run("INSERT INTO tickettype VALUES(?,?,?,?,?,?)",
               {t.id, code, std::string(t.name), std::string(t.category), I64{t.arm}, DemoJpegHex("type-" + code)});
        for (I64 space : {kSeat, kBerth})
            db.Run("INSERT INTO vehiclespacesoldpicture VALUES(?,?,?)",
                   {space, code, DemoJpegHex("sold-" + std::to_string(space) + "-" + code)});
    }
    const char* names[] = {"空座", "预留", "已售未检", "锁定", "站务保留", "停售", "选中", "已检（检票机）", "已检（人工）"};
    for (int state = 0; state <= 8; ++state)
        db.Run("INSERT INTO seatstatuspicture VALUES(?,?,?)",
               {std::to_string(state), std::string(names[state]), SeatStateBitmapHex(std::to_string(state))});
}

// The 45-seat brand model: driver seat and door in the first row, ten rows of 2 + aisle + 2,
// and a back row of five.
void SeatPlan(Database& db)
{
    db.Run("INSERT INTO vehiclebrandmodel VALUES(51, '宇通ZK6122H', 45)");
    db.Run("INSERT INTO vehiclebrandmodel VALUES(52, '金龙XMQ6802', 35)");
    I64 id = 5101;
    auto cell = [&](I64 row, I64 col, I64 width, I64 space, I64 seat) {
        db.Run("INSERT INTO vehicleseatplandetail VALUES(?,51,?,?,?,?,?,?,'',1001,'2023-01-05 10:00:00',1001,"
               "'2023-01-05 10:00:00')",
               {id++, row, col, width, I64{0}, space, seat});
    };
    cell(1, 1, 0, kDriverSeat, 0);
    cell(1, 5, 0, kDoor, 0);
    I64 seat = 1;
    for (I64 row = 2; row <= 11; ++row)
        for (I64 col = 1; col <= 5; ++col)
            cell(row, col, col == 3 ? 30 : 0, col == 3 ? kAisle : kSeat, col == 3 ? 0 : seat++);
    for (I64 col = 1; col <= 5; ++col)
        cell(12, col, 0, kSeat, seat++);
}

void Vehicles(Database& db)
{
    db.Script(R"(
INSERT INTO vehicle VALUES(71, '粤A12345', 45, 51, '宇通ZK6122H', '大型高一级', 41, 'A1B2C3D4', NULL, '陈丽', 'A区3号车位');
INSERT INTO vehicle VALUES(72, '粤A23456', 39, NULL, '宇通ZK6107', '中型中级', 41, NULL, NULL, '', 'C区流水班车位');
INSERT INTO vehicle VALUES(73, '粤A34567', 35, 52, '金龙XMQ6802', '中型高二级', 42, NULL, NULL, '周敏', 'B区2号车位');
INSERT INTO driver VALUES(81, '张建国', '440101198001010011');
INSERT INTO driver VALUES(82, '李明', '440101198501010022');
INSERT INTO driver VALUES(83, '王强', '440101199001010033');
INSERT INTO driver VALUES(84, '刘洋', '440101198203030044');
INSERT INTO vehicledriver VALUES(71, 81, 1);
INSERT INTO vehicledriver VALUES(71, 84, 2);
INSERT INTO vehicledriver VALUES(72, 82, 1);
INSERT INTO vehicledriver VALUES(73, 83, 1);
INSERT INTO route VALUES(91, '广州-韶关', 220);
INSERT INTO route VALUES(92, '广州-深圳', 140);
INSERT INTO route VALUES(93, '广州-佛山', 30);
INSERT INTO route VALUES(94, '广州-肇庆', 110);
INSERT INTO routestop VALUES(91, 101, 0, 0, 0);
INSERT INTO routestop VALUES(91, 102, 1, 80, 3500);
INSERT INTO routestop VALUES(91, 103, 2, 150, 5500);
INSERT INTO routestop VALUES(91, 104, 3, 220, 7500);
INSERT INTO routestop VALUES(92, 101, 0, 0, 0);
INSERT INTO routestop VALUES(92, 105, 1, 60, 4000);
INSERT INTO routestop VALUES(92, 106, 2, 140, 6500);
INSERT INTO routestop VALUES(93, 101, 0, 0, 0);
INSERT INTO routestop VALUES(93, 107, 1, 30, 1500);
INSERT INTO routestop VALUES(94, 101, 0, 0, 0);
INSERT INTO routestop VALUES(94, 108, 1, 80, 3500);
INSERT INTO routestop VALUES(94, 109, 2, 110, 4500);
INSERT INTO schedule VALUES(1, 'K0830', 91, '08:30', 101, 104, 0, 1);
INSERT INTO schedule VALUES(2, 'J1400', 92, '14:00', 101, 106, 0, 2);
INSERT INTO schedule VALUES(3, 'LS01', 93, '06:00', 101, 107, 1, 1);
INSERT INTO schedule VALUES(4, 'K0700', 94, '07:00', 101, 109, 0, 2);
INSERT INTO schedule VALUES(5, 'K1030', 91, '10:30', 101, 104, 0, 1);
INSERT INTO schedule VALUES(6, 'K1600', 92, '16:00', 101, 106, 0, 2);
INSERT INTO schedule VALUES(7, 'J1800', 94, '18:00', 101, 109, 0, 2);
)");
}

struct Plan {
    I64 id, schedule;
    const char* code;
    I64 route;
    std::string day;
    const char* time;
    I64 end;
    I64 seats;
    bool linework, overtime, departed;
    const char* status;
    const char* statusname;
    const char* reason;
    const char* park;
};

void Plans(Database& db, const std::string& today)
{
    const std::string yesterday = AddDays(today, -1);
    const std::vector<Plan> plans = {
        {7001, 1, "K0830", 91, today, "08:30", 104, 45, false, false, false, "0", "正常", "", "A区3号车位"},
        {7002, 2, "J1400", 92, today, "14:00", 106, 45, false, true, false, "0", "正常", "", "A区3号车位"},
        {7003, 3, "LS01", 93, today, "06:00", 107, 39, true, false, false, "0", "正常", "", "C区流水班车位"},
        {7004, 4, "K0700", 94, today, "07:00", 109, 35, false, false, true, "0", "正常", "", "B区2号车位"},
        {7005, 1, "K0830", 91, yesterday, "08:30", 104, 45, false, false, true, "0", "正常", "", "A区3号车位"},
        {7006, 5, "K1030", 91, today, "10:30", 104, 45, false, false, false, "1", "停班",
         "车辆故障，旅客已安排改乘K0830", ""},
        {7007, 6, "K1600", 92, today, "16:00", 106, 45, false, false, false, "2", "晚点", "道路拥堵，预计晚点30分钟", ""},
        {7008, 7, "J1800", 94, today, "18:00", 109, 35, false, true, false, "0", "正常", "", "B区1号车位"},
    };
    for (const auto& p : plans)
        db.Run(R"(INSERT INTO scheduleplan(id, scheduleid, code, routeid, departdate, departtime, departstationid,
                      endstationid, seatnum, islinework, isovertime, isreported, isdeparted, status, statusname, reason,
                      vehicleparkname, ticketentranceid) VALUES(?,?,?,?,?,?,101,?,?,?,?,?,?,?,?,?,?,?))",
               {p.id, p.schedule, std::string(p.code), p.route, p.day, std::string(p.time), p.end, p.seats,
                I64{p.linework}, I64{p.overtime}, I64{p.id <= 7005}, I64{p.departed}, std::string(p.status),
                std::string(p.statusname), std::string(p.reason), std::string(p.park), p.schedule % 2 ? I64{1} : I64{2}});
    struct ReportRow {
        I64 id, vehicle, plan;
        std::string day;
        const char* time;
        bool departed;
    };
    for (const auto& r : {ReportRow{5001, kVehicle1, 7001, today, "07:50:00", false},
                          ReportRow{5002, kVehicle1, 7002, today, "13:20:00", false},
                          ReportRow{5003, kVehicle2, 7003, today, "05:45:00", false},
                          ReportRow{5004, kVehicle3, 7004, today, "06:30:00", true},
                          ReportRow{5005, kVehicle1, 7005, yesterday, "08:00:00", true}})
        db.Run("INSERT INTO vehiclereport VALUES(?,?,?,?,?,?,1,?)",
               {r.id, r.vehicle, r.plan, r.day, kOrg, r.day + " " + r.time, I64{r.departed}});
}

struct Sale {
    int number;
    I64 plan;
    std::string day;
    int seat;
    const char* type;
    I64 from, reach;
};

// Sells a ticket at the fare of its route between its stops, by ticket type.
void Sell(Database& db, const Sale& s, const std::string& selltime)
{
    const I64 route = db.Int("SELECT routeid FROM scheduleplan WHERE id = ?", {s.plan}).value_or(0);
    const I64 fare = db.Int(R"(SELECT r.fare - f.fare FROM routestop f JOIN routestop r ON r.routeid = f.routeid
                               WHERE f.routeid = ? AND f.stationid = ? AND r.stationid = ?)",
                            {route, s.from, s.reach})
                         .value_or(0);
    const std::string type = s.type;
    const std::string category = db.Text("SELECT category FROM tickettype WHERE code = ?", {type}).value_or("full");
    const I64 price = category == "full" ? fare : category == "half" ? fare / 2 : category == "discount" ? fare * 8 / 10 : 0;
    db.Run(R"(INSERT INTO ticket(ticketno, scheduleplanid, departdate, seatno, tickettypecode, price, departstationid,
                  reachstationid, ticketoutletid, selltime) VALUES(?,?,?,?,?,?,?,?,32,?))",
           {TicketNo(s.number), s.plan, s.day, I64{s.seat}, type, price, s.from, s.reach, selltime});
}

void MarkChecked(Database& db, int number, I64 report, const char* mode, const std::string& when)
{
    db.Run(R"(UPDATE ticket SET ischecked = 1, checkmode = ?, checktime = ?, checkstationid = 101, checkip = '127.0.0.1',
                  ticketentrance = '1号检票口', vehiclereportid = ? WHERE ticketno = ?)",
           {std::string(mode), when, report, TicketNo(number)});
}

const char* TypeOfSeat(int seat)
{
    switch (seat) {
    case 3: case 18: return "B";
    case 5: case 22: return "Y";
    case 9: return "J";
    case 14: return "X";
    default: return "Q";
    }
}

void Tickets(Database& db, const std::string& today)
{
    const std::string yesterday = AddDays(today, -1);
    const std::string sold = AddDays(today, -3) + " 10:00:00";
    // K0830 today: seats 1-30 sold, 1-7 checked at a kiosk, 8-10 by hand; a free child shares
    // seat 12; two passengers board at 清远; one ticket was refunded.
    for (int seat = 1; seat <= 30; ++seat)
        Sell(db, {11000 + seat, 7001, today, seat, TypeOfSeat(seat), kStation, seat % 3 == 0 ? 103 : seat % 5 == 0 ? 102 : 104},
             sold);
    Sell(db, {11031, 7001, today, 12, "M", kStation, 104}, sold);
    Sell(db, {11032, 7001, today, 40, "Q", 102, 104}, sold);
    Sell(db, {11033, 7001, today, 41, "Q", 102, 103}, sold);
    Sell(db, {11034, 7001, today, 42, "Q", kStation, 104}, sold);
    db.Run("UPDATE ticket SET status = '1' WHERE ticketno = ?", {TicketNo(11034)});
    for (int seat = 1; seat <= 10; ++seat)
        MarkChecked(db, 11000 + seat, 5001, seat <= 7 ? "7" : "8", today + " 08:0" + std::to_string(seat % 10) + ":00");
    struct Reserve {
        int seat;
        const char* status;
        const char* hint;
    };
    for (const auto& r : {Reserve{31, "1", "网售预留"}, Reserve{32, "1", "网售预留"}, Reserve{33, "3", "售票窗口锁定"},
                          Reserve{34, "4", "站务保留"}, Reserve{35, "5", "座椅损坏停售"}})
        db.Run("INSERT INTO seatreserve VALUES(7001, ?, ?, ?)", {I64{r.seat}, std::string(r.status), std::string(r.hint)});

    // J1400 today (an extra run of the same vehicle): seats 1-12, 1-2 checked.
    for (int seat = 1; seat <= 12; ++seat)
        Sell(db, {12000 + seat, 7002, today, seat, seat == 4 ? "B" : seat == 7 ? "X" : "Q", kStation,
                  seat % 2 ? I64{106} : I64{105}},
             sold);
    for (int seat = 1; seat <= 2; ++seat)
        MarkChecked(db, 12000 + seat, 5002, "7", today + " 13:3" + std::to_string(seat) + ":00");

    // LS01 line work: 240 seatless tickets, three checked onto 粤A23456's report.
    for (int n = 1; n <= 240; ++n)
        Sell(db, {13000 + n, 7003, today, 0, n % 10 == 0 ? "B" : "Q", kStation, 107}, sold);
    for (int n = 1; n <= 3; ++n)
        MarkChecked(db, 13000 + n, 5003, "7", today + " 05:5" + std::to_string(n) + ":00");

    // K0700 today, departed: seats 1-20 checked and billed on slip 00030001, 21-23 still unchecked.
    for (int seat = 1; seat <= 23; ++seat)
        Sell(db, {14000 + seat, 7004, today, seat, seat == 6 ? "B" : seat == 11 ? "M" : "Q", kStation,
                  seat % 2 ? I64{109} : I64{108}},
             sold);
    for (int seat = 1; seat <= 20; ++seat)
        MarkChecked(db, 14000 + seat, 5004, seat <= 15 ? "7" : "8", today + " 06:4" + std::to_string(seat % 10) + ":00");

    // K0830 yesterday, departed: seats 1-9 checked and billed on slip 00029999, seat 10 a no-show.
    for (int seat = 1; seat <= 10; ++seat)
        Sell(db, {15000 + seat, 7005, yesterday, seat, "Q", kStation, seat % 2 ? I64{104} : I64{102}}, sold);
    for (int seat = 1; seat <= 9; ++seat)
        MarkChecked(db, 15000 + seat, 5005, "7", yesterday + " 08:1" + std::to_string(seat) + ":00");

    // Sold tickets of the stopped, the delayed and the extra evening schedules.
    for (int seat = 1; seat <= 5; ++seat)
        Sell(db, {16000 + seat, 7006, today, seat, "Q", kStation, 104}, sold);
    for (int seat = 1; seat <= 8; ++seat)
        Sell(db, {17000 + seat, 7007, today, seat, "Q", kStation, 106}, sold);
    for (int seat = 1; seat <= 3; ++seat)
        Sell(db, {18000 + seat, 7008, today, seat, "Q", kStation, 109}, sold);
}

void EarlierSlips(Database& db, const std::string& today)
{
    const std::string yesterday = AddDays(today, -1);
    IssueSlip(db, {5005, "00029999", yesterday + " 08:25:00", "127.0.0.1", false});
    IssueSlip(db, {5004, TakeBillNumber(db, "BalanceBill"), today + " 06:55:00", "127.0.0.1", false});
}

struct Item {
    int kind;
    int left, top, width, height;
    const char* title;
    int fontsize;
    bool list;
    const char* code;
    const char* parameter;
    bool print = true;
};

// "默认结算单": lines and boxes, fixed texts, formatted values, amount digits in capitals and in
// Arabic digits, a date-time, a barcode and the amount in capitals, with a list of destination rows.
void SlipTemplate(Database& db)
{
    db.Run(R"(INSERT INTO printtemplate VALUES(1, '默认结算单', '结算单', '结算单打印机', 2000, 50, 50, 1300, 1300, 6, 1, 10))");
    const std::vector<Item> items = {
        {0, 0, 0, 2000, 1200, nullptr, 10, false, "", nullptr},
        {0, 0, 120, 2000, 0, nullptr, 10, false, "", nullptr},
        {0, 0, 360, 2000, 0, nullptr, 10, false, "", nullptr},
        {0, 0, 420, 2000, 0, nullptr, 10, false, "", nullptr},
        {0, 0, 760, 2000, 0, nullptr, 10, false, "", nullptr},
        {0, 0, 1000, 2000, 0, nullptr, 10, false, "", nullptr},
        {0, 1000, 120, 0, 240, nullptr, 10, false, "", nullptr},
        {1, 620, 30, 0, 0, "汽车客运站发班结算单", 16, false, "", nullptr},
        {2, 1750, 40, 0, 0, nullptr, 12, false, "reprint", nullptr},
        {1, 20, 140, 0, 0, "车牌号：", 10, false, "", nullptr},
        {2, 200, 140, 0, 0, nullptr, 10, false, "vehicleno", "%s"},
        {1, 500, 140, 0, 0, "班次：", 10, false, "", nullptr},
        {2, 640, 140, 0, 0, nullptr, 10, false, "schedulecode", nullptr},
        {2, 800, 140, 0, 0, nullptr, 10, false, "isovertime", nullptr},
        {1, 1020, 140, 0, 0, "发车：", 10, false, "", nullptr},
        {2, 1160, 140, 0, 0, nullptr, 10, false, "departdate", nullptr},
        {2, 1500, 140, 0, 0, nullptr, 10, false, "departtime", nullptr},
        {1, 20, 200, 0, 0, "车型：", 10, false, "", nullptr},
        {2, 200, 200, 0, 0, nullptr, 10, false, "vehicletype", nullptr},
        {1, 500, 200, 0, 0, "座位：", 10, false, "", nullptr},
        {2, 640, 200, 0, 0, nullptr, 10, false, "seats", "%d座"},
        {1, 1020, 200, 0, 0, "线路：", 10, false, "", nullptr},
        {2, 1160, 200, 0, 0, nullptr, 10, false, "route", nullptr},
        {2, 1500, 200, 0, 0, nullptr, 10, false, "routedistance", "%d公里"},
        {1, 20, 260, 0, 0, "驾驶员：", 10, false, "", nullptr},
        {2, 200, 260, 0, 0, nullptr, 10, false, "driver1", nullptr},
        {2, 340, 260, 0, 0, nullptr, 10, false, "driver2", nullptr},
        {1, 500, 260, 0, 0, "乘务员：", 10, false, "", nullptr},
        {2, 640, 260, 0, 0, nullptr, 10, false, "steward", nullptr},
        {1, 1020, 260, 0, 0, "单位：", 10, false, "", nullptr},
        {2, 1160, 260, 0, 0, nullptr, 10, false, "unitfullname", nullptr},
        {1, 20, 320, 0, 0, "结算单号：", 10, false, "", nullptr},
        {2, 200, 320, 0, 0, nullptr, 10, false, "invoicesno", nullptr},
        {1, 500, 320, 0, 0, "检票员：", 10, false, "", nullptr},
        {2, 640, 320, 0, 0, nullptr, 10, false, "checkedname", nullptr},
        {1, 1020, 320, 0, 0, "人数：", 10, false, "", nullptr},
        {2, 1160, 320, 0, 0, nullptr, 10, false, "ticketnum", "%d人"},
        {2, 1360, 320, 0, 0, nullptr, 10, false, "freetickets", "免票%d"},
        {2, 1560, 320, 0, 0, nullptr, 10, false, "armtickets", "军残%d"},
        {1, 20, 380, 0, 0, "上车站", 10, false, "", nullptr},
        {1, 240, 380, 0, 0, "到站", 10, false, "", nullptr},
        {1, 460, 380, 0, 0, "全票", 10, false, "", nullptr},
        {1, 600, 380, 0, 0, "半票", 10, false, "", nullptr},
        {1, 740, 380, 0, 0, "优惠", 10, false, "", nullptr},
        {1, 880, 380, 0, 0, "票价", 10, false, "", nullptr},
        {1, 1060, 380, 0, 0, "里程", 10, false, "", nullptr},
        {1, 1200, 380, 0, 0, "人公里", 10, false, "", nullptr},
        {1, 1400, 380, 0, 0, "票款", 10, false, "", nullptr},
        {1, 1650, 380, 0, 0, "结算金额", 10, false, "", nullptr},
        {2, 20, 440, 0, 0, nullptr, 10, true, "fromstation", nullptr},
        {2, 240, 440, 0, 0, nullptr, 10, true, "reachstation", nullptr},
        {2, 460, 440, 0, 0, nullptr, 10, true, "fullpeople", "%d"},
        {2, 600, 440, 0, 0, nullptr, 10, true, "halfpeople", "%d"},
        {2, 740, 440, 0, 0, nullptr, 10, true, "discountpeople", "%d"},
        {2, 880, 440, 0, 0, nullptr, 10, true, "price", "%.2f"},
        {2, 1060, 440, 0, 0, nullptr, 10, true, "distance", "%d"},
        {2, 1200, 440, 0, 0, nullptr, 10, true, "psdistance", "%d"},
        {2, 1400, 440, 0, 0, nullptr, 10, true, "totalamount", "%.2f"},
        {2, 1650, 440, 0, 0, nullptr, 10, true, "balanceamount", "%.2f"},
        {1, 20, 780, 0, 0, "站务费", 10, false, "", nullptr},
        {2, 150, 780, 0, 0, nullptr, 10, false, "zwf", "%.2f"},
        {1, 420, 780, 0, 0, "代理费", 10, false, "", nullptr},
        {2, 550, 780, 0, 0, nullptr, 10, false, "dlf", "%.2f"},
        {1, 820, 780, 0, 0, "燃油费", 10, false, "", nullptr},
        {2, 950, 780, 0, 0, nullptr, 10, false, "ryf", "%.2f"},
        {1, 1220, 780, 0, 0, "保险费", 10, false, "", nullptr},
        {2, 1350, 780, 0, 0, nullptr, 10, false, "bxf", "%.2f"},
        {1, 1620, 780, 0, 0, "安检费", 10, false, "", nullptr},
        {2, 1750, 780, 0, 0, nullptr, 10, false, "ajf", "%.2f"},
        {1, 20, 840, 0, 0, "票款合计：", 10, false, "", nullptr},
        {4, 260, 840, 0, 0, nullptr, 12, false, "totalamount", "5"},
        {4, 320, 840, 0, 0, nullptr, 12, false, "totalamount", "4"},
        {4, 380, 840, 0, 0, nullptr, 12, false, "totalamount", "3"},
        {4, 440, 840, 0, 0, nullptr, 12, false, "totalamount", "2"},
        {4, 500, 840, 0, 0, nullptr, 12, false, "totalamount", "1"},
        {4, 560, 840, 0, 0, nullptr, 12, false, "totalamount", "0"},
        {4, 620, 840, 0, 0, nullptr, 12, false, "totalamount", "-1"},
        {4, 680, 840, 0, 0, nullptr, 12, false, "totalamount", "-2"},
        {1, 1020, 840, 0, 0, "站务费合计：", 10, false, "", nullptr},
        {2, 1260, 840, 0, 0, nullptr, 10, false, "stationfee", "%.2f"},
        {1, 1450, 840, 0, 0, "应结：", 10, false, "", nullptr},
        {2, 1560, 840, 0, 0, nullptr, 10, false, "nostationtotalbalanceprice", "%.2f"},
        {1, 20, 900, 0, 0, "结算金额：", 10, false, "", nullptr},
        {3, 220, 900, 0, 0, nullptr, 12, false, "balanceamount", "5"},
        {1, 270, 900, 0, 0, "万", 10, false, "", nullptr},
        {3, 320, 900, 0, 0, nullptr, 12, false, "balanceamount", "4"},
        {1, 370, 900, 0, 0, "仟", 10, false, "", nullptr},
        {3, 420, 900, 0, 0, nullptr, 12, false, "balanceamount", "3"},
        {1, 470, 900, 0, 0, "佰", 10, false, "", nullptr},
        {3, 520, 900, 0, 0, nullptr, 12, false, "balanceamount", "2"},
        {1, 570, 900, 0, 0, "拾", 10, false, "", nullptr},
        {3, 620, 900, 0, 0, nullptr, 12, false, "balanceamount", "1"},
        {1, 670, 900, 0, 0, "元", 10, false, "", nullptr},
        {3, 720, 900, 0, 0, nullptr, 12, false, "balanceamount", "-1"},
        {1, 770, 900, 0, 0, "角", 10, false, "", nullptr},
        {3, 820, 900, 0, 0, nullptr, 12, false, "balanceamount", "-2"},
        {1, 870, 900, 0, 0, "分", 10, false, "", nullptr},
        {7, 1020, 900, 0, 0, nullptr, 10, false, "balanceamount", "人民币%s"},
        {1, 20, 950, 0, 0, "结算单位：", 10, false, "", nullptr},
        {2, 220, 950, 0, 0, nullptr, 10, false, "balanceunit", nullptr},
        {6, 20, 1020, 0, 120, nullptr, 10, false, "invoicesno", "bcCode128B"},
        {1, 1020, 1020, 0, 0, "打印时间：", 10, false, "", nullptr},
        {5, 1220, 1020, 0, 0, nullptr, 10, false, "printtime", "yyyy年mm月dd日 hh:nn"},
        {2, 1020, 1080, 0, 0, nullptr, 10, false, "printstation", nullptr},
        {2, 1400, 1080, 0, 0, nullptr, 10, false, "printby", "打单：%s"},
        {2, 1020, 1140, 0, 0, nullptr, 9, false, "ticketoutlet", nullptr},
        {2, 1600, 1140, 0, 0, nullptr, 9, false, "pageno", "第%d页"},
        {2, 1780, 1140, 0, 0, nullptr, 9, false, "totalpage", "共%d页"},
        {2, 20, 1160, 0, 0, nullptr, 9, false, "remarks", nullptr, false},
    };
    I64 order = 0;
    for (const auto& item : items) {
        ++order;
        db.Run(R"(INSERT INTO printtemplateitem(printtemplateid, orderno, isprint, valuetype, "left", top, width, height,
                      title, fontname, fontsize, islist, itemcode, parameter) VALUES(1,?,?,?,?,?,?,?,?,'微软雅黑',?,?,?,?))",
               {order, I64{item.print}, I64{item.kind}, I64{item.left}, I64{item.top}, I64{item.width}, I64{item.height},
                item.title ? SqlValue(std::string(item.title)) : SqlNull(), I64{item.fontsize}, I64{item.list},
                std::string(item.code), item.parameter ? SqlValue(std::string(item.parameter)) : SqlNull()});
    }
}

void CreateDemoData(Database& db, const std::string& today)
{
    Transaction transaction(db, Transaction::Mode::Write);
    CreateSchema(db);
    db.Run("INSERT INTO meta VALUES('demoday', ?)", {today});
    Organisation(db);
    Units(db);
    SpacesAndPictures(db);
    SeatPlan(db);
    Vehicles(db);
    Plans(db, today);
    Tickets(db, today);
    EarlierSlips(db, today);
    SlipTemplate(db);
    transaction.Commit();
}

} // namespace

void AddLineWorkTickets(const std::string& path, int count, std::ostream& log)
{
    Database db(path);
    Transaction transaction(db, Transaction::Mode::Write);
    const std::string today = db.Text("SELECT value FROM meta WHERE key = 'demoday'").value_or("");
    const std::string sold = AddDays(today, -3) + " 10:00:00";
    int added = 0;
    for (int n = 1; n <= count; ++n) {
        if (db.Int("SELECT count(*) FROM ticket WHERE ticketno = ?", {TicketNo(kExtraLineTicket + n)}).value_or(0))
            continue;
        Sell(db, {kExtraLineTicket + n, 7003, today, 0, "Q", kStation, 107}, sold);
        ++added;
    }
    transaction.Commit();
    log << "stationd: " << added << " more LS01 tickets, " << TicketNo(kExtraLineTicket + 1) << "-"
        << TicketNo(kExtraLineTicket + count) << "\n";
}

void PrepareDatabase(const std::string& path, bool fresh, const std::string& today, std::ostream& log)
{
    namespace fs = std::filesystem;
    if (fresh) {
        std::error_code ignored;
        for (const char* suffix : {"", "-wal", "-shm"})
            fs::remove(path + suffix, ignored);
    }
    Database db(path);
    if (!db.Int("SELECT count(*) FROM sqlite_master WHERE name = 'meta'").value_or(0)) {
        CreateDemoData(db, today);
        log << "stationd: demo data created for " << today << " in " << path << "\n";
        return;
    }
    const auto day = db.Text("SELECT value FROM meta WHERE key = 'demoday'").value_or("");
    if (day != today)
        log << "stationd: the database holds the demo day " << day << ", today is " << today
            << "; start with --fresh (or --today " << day << ") to use the demo data\n";
}

} // namespace stationd
