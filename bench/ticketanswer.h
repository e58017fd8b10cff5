#pragma once
// A ticket-list answer of the check screen ("ticketlist" with its type and length objects), as
// the server sends it: nine columns of ticket number, seat, price, dates, stations and states.
#include <string>

namespace kiosk::bench {

inline std::string TicketListAnswer(int rows)
{
    static const char* const stations[] = {"乌鲁木齐", "石河子", "奎屯", "克拉玛依", "博乐", "伊宁市", "阿勒泰地区", "库尔勒"};
    static const char* const states[] = {"已检票", "未检票"};
    static const char* const kinds[] = {"全票", "半票", "学生票"};
    std::string s;
    s.reserve(static_cast<std::size_t>(rows) * 230 + 512);
    s += R"({"flag":1,"msg":"","ticketlist":[)";
    for (int i = 0; i < rows; ++i) {
        if (i) s += ',';
        char row[512];
        std::snprintf(row, sizeof row,
                      R"({"ticketno":"%010d","seatno":%d,"price":%d.%d,"departdate":"2013-05-%02d","departtime":"%02d:%02d",)"
                      R"("selltime":"2013-04-%02dT%02d:%02d:%02d","reachstation":"%s","tickettypename":"%s","dticketstatus":"%s"})",
                      1234567 + i, i % 55 + 1, 20 + i % 80, i % 10, i % 28 + 1, 6 + i % 16, (i * 7) % 60,
                      i % 28 + 1, i % 24, (i * 13) % 60, (i * 17) % 60, stations[i % 8], kinds[i % 3], states[i % 2]);
        s += row;
    }
    s += R"(],"ticketlist_type":{"ticketno":"String","seatno":"Short","price":"BigDecimal","departdate":"Date",)"
         R"("departtime":"String","selltime":"Timestamp","reachstation":"String","tickettypename":"String",)"
         R"("dticketstatus":"String"},"ticketlist_typelength":{"ticketno":20,"reachstation":50}})";
    return s;
}

} // namespace kiosk::bench
