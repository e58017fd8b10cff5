// Several kiosks at once: checks and slip issues from four clients at the same time lose nothing
// and count nothing twice.
#include "support/stationd_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace stationd::test {
namespace {

std::string LineWorkTicket(int i)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%010d", 13011 + i);
    return buffer;
}

TEST(Concurrency, fourClientsChecking200TicketsLoseNoneAndCheckNoneTwice)
{
    Stationd server;
    constexpr int kTickets = 200, kClients = 4;
    std::mutex mutex;
    std::map<std::string, int> passes;
    std::atomic<int> refusals{0}, failures{0};
    std::vector<std::thread> clients;
    for (int k = 0; k < kClients; ++k) {
        clients.emplace_back([&, k] {
            auto client = server.Client();
            for (int n = 0; n < kTickets; ++n) {
                // Every client tries every ticket, each starting elsewhere in the list.
                const std::string ticket = LineWorkTicket((n + k * kTickets / kClients) % kTickets);
                const auto result = client.Post(
                    "/KtBusWeb/checkticket/checkbyTicketno.action",
                    KioskBody({{"checkstationid", "101"}, {"vehiclereportid", "5003"}, {"ticketno", ticket},
                               {"ip", "127.0.0." + std::to_string(k + 1)}, {"islazycheck", "False"}}),
                    "application/x-www-form-urlencoded;charset=utf-8");
                if (!result || result->status != 200) {
                    ++failures;
                    continue;
                }
                const Json answer = Json::parse(result->body);
                if (answer["flag"] == 1) {
                    const std::lock_guard<std::mutex> lock(mutex);
                    ++passes[ticket];
                } else {
                    ++refusals;
                }
            }
        });
    }
    for (auto& client : clients)
        client.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(passes.size(), static_cast<std::size_t>(kTickets));
    for (const auto& [ticket, count] : passes)
        EXPECT_EQ(count, 1) << ticket;
    EXPECT_EQ(refusals, kTickets * (kClients - 1));
    const Json list = server.Post("checkticket/queryCheckedticket",
                                  {{"filter_EQL_sp!id", "7003"}, {"filter_EQL_t!vehiclereportid", "5003"}});
    EXPECT_EQ(list["ticketlist"].size(), static_cast<std::size_t>(kTickets + 3));
}

TEST(Concurrency, slipsIssuedAtOnceNeverShareABillNumber)
{
    Stationd server;
    auto check = [&](const char* ticket, const char* report, bool lazy) {
        return server.Post("checkticket/checkbyTicketno", {{"checkstationid", "101"}, {"vehiclereportid", report},
                                                           {"ticketno", ticket}, {"islazycheck", lazy ? "True" : "False"}});
    };
    ASSERT_EQ(check("0000014021", "5004", true)["flag"], 1);
    struct Issue {
        const char* address;
        const char* plan;
        const char* report;
        const char* table;
    };
    const Issue issues[] = {{"checkticket/selfVehicleDepartinvoice", "7001", "5001", "invoiceslist"},
                            {"checkticket/selfVehicleDepartinvoice", "7002", "5002", "invoiceslist"},
                            {"checkticket/selfVehicleDepartinvoice", "7003", "5003", "invoiceslist"},
                            {"checkticket/qryprintinvoices", "7004", "5004", "departinvoicesMap"}};
    std::mutex mutex;
    std::multiset<std::string> numbers;
    std::vector<std::thread> clients;
    for (const auto& issue : issues) {
        clients.emplace_back([&, issue] {
            const Json answer = server.Post(issue.address, {{"departstationid", "101"}, {"scheduleplanid", issue.plan},
                                                            {"vehiclereportid", issue.report}, {"ip", "127.0.0.1"},
                                                            {"departinvoicesno", "00030002"}, {"isreprint", "False"},
                                                            {"iscomputeno", "True"}, {"departdate", kDemoDay}});
            const std::lock_guard<std::mutex> lock(mutex);
            EXPECT_EQ(answer["flag"], 1) << answer.dump();
            if (answer.contains(issue.table) && !answer[issue.table].empty())
                numbers.insert(answer[issue.table][0]["invoicesno"].get<std::string>());
        });
    }
    for (auto& client : clients)
        client.join();
    EXPECT_EQ(numbers, (std::multiset<std::string>{"00030002", "00030003", "00030004", "00030005"}));
    EXPECT_EQ(server.Post("bill/initBillNo", {{"billtypecode", "BalanceBill"}})["curbillno"], 30006);
}

} // namespace
} // namespace stationd::test
