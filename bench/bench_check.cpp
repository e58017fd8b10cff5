// One whole ticket check on the check screen, offscreen, against a real stationd on loopback:
// from Enter in the ticket field to the counters, the status line and the seat plan painted.
//
// BM_TicketCheck/seatplan checks K0830 tickets (pre-check, check, checked tickets, seat states,
// same-report query); K0830 has 20 unchecked tickets, so every 20 checks a fresh stationd and a
// new screen are set up outside the timing. BM_TicketCheck/linework checks LS01 tickets onto
// 粤A23456 (no seat plan) on one stationd with --line-tickets; its list of checked tickets grows
// with every check. Counters: median_ms / p90_ms per check and requests (stationd's request
// log lines) per check.
//
// BM_CheckMemory: the resident set after 100 and after 1,000 seat-plan checks (fresh stationd and
// a new screen every 20 checks, as above).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "e2e/checkdesk.h"
#include "support/qtapp.h"
#include "support/stationd_fixture.h"

namespace {

using kiosk::test::CheckDesk;
using stationd::test::Stationd;

constexpr int kSeatPlanTickets = 20; // 0000011011-0000011030

std::string UrlOf(const Stationd& station)
{
    return "http://127.0.0.1:" + std::to_string(station.Port()) + "/KtBusWeb/";
}

int RequestLines(const Stationd& station)
{
    const std::string log = station.Log();
    int lines = 0;
    for (auto at = log.find("/KtBusWeb/"); at != std::string::npos; at = log.find("/KtBusWeb/", at + 1)) ++lines;
    return lines;
}

QString SeatPlanTicket(int n) { return QString("00000%1").arg(11011 + n % kSeatPlanTickets); }

// One timed check: Enter, then the events it left (the seat plan's and the labels' repaint).
double TimedCheck(CheckDesk& desk, const QString& ticketno)
{
    const auto start = std::chrono::steady_clock::now();
    desk.Check(ticketno);
    QApplication::processEvents();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

bool Passed(const CheckDesk& desk) { return desk.Form().lbl2->text().startsWith("检票成功"); }

// A fresh stationd with the K0830 screen open on it; replaced every 20 checks.
class SeatPlanRound {
public:
    explicit SeatPlanRound(CheckDesk& desk) : desk_(desk) {}
    void Next()
    {
        desk_.Close();
        station_ = std::make_unique<Stationd>();
        desk_.SetServer(UrlOf(*station_));
        desk_.Open(kiosk::test::kSeatPlanBus);
        requestsBefore_ = RequestLines(*station_);
    }
    int Requests() const { return RequestLines(*station_) - requestsBefore_; }

private:
    CheckDesk& desk_;
    std::unique_ptr<Stationd> station_;
    int requestsBefore_ = 0;
};

void Summarise(benchmark::State& state, std::vector<double> ms, double requests, int failed)
{
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["p90_ms"] = ms[ms.size() * 9 / 10];
    state.counters["requests_per_check"] = requests / static_cast<double>(ms.size());
    state.counters["not_passed"] = failed;
}

void BM_TicketCheckSeatPlan(benchmark::State& state)
{
    CheckDesk desk;
    SeatPlanRound round(desk);
    std::vector<double> ms;
    double requests = 0;
    int failed = 0, n = 0;
    for (auto _ : state) {
        if (n % kSeatPlanTickets == 0) {
            state.PauseTiming();
            if (n > 0) requests += round.Requests();
            round.Next();
            state.ResumeTiming();
        }
        ms.push_back(TimedCheck(desk, SeatPlanTicket(n)));
        if (!Passed(desk)) ++failed;
        ++n;
    }
    requests += round.Requests();
    Summarise(state, ms, requests, failed);
}
BENCHMARK(BM_TicketCheckSeatPlan)->Name("BM_TicketCheck/seatplan")->Iterations(200)->Unit(benchmark::kMillisecond);

void BM_TicketCheckLineWork(benchmark::State& state)
{
    const int checks = static_cast<int>(state.max_iterations);
    Stationd station({true, {"--line-tickets", std::to_string(checks)}});
    CheckDesk desk;
    desk.SetServer(UrlOf(station));
    desk.Open(kiosk::test::kLineBus);
    const int before = RequestLines(station);
    std::vector<double> ms;
    int failed = 0, n = 0;
    for (auto _ : state) {
        ms.push_back(TimedCheck(desk, kiosk::test::LineTicket(n++)));
        if (!Passed(desk)) ++failed;
    }
    Summarise(state, ms, RequestLines(station) - before, failed);
}
BENCHMARK(BM_TicketCheckLineWork)->Name("BM_TicketCheck/linework")->Iterations(1000)->Unit(benchmark::kMillisecond);

void BM_CheckMemory(benchmark::State& state)
{
    CheckDesk desk;
    SeatPlanRound round(desk);
    double after100 = 0, after1000 = 0;
    for (auto _ : state) {
        for (int n = 0; n < 1000; ++n) {
            if (n % kSeatPlanTickets == 0) round.Next();
            desk.Check(SeatPlanTicket(n));
            QApplication::processEvents();
            if (n + 1 == 100) after100 = static_cast<double>(kiosk::test::ResidentBytes());
        }
        after1000 = static_cast<double>(kiosk::test::ResidentBytes());
    }
    const double mb = 1024.0 * 1024.0;
    state.counters["rss_100_MB"] = after100 / mb;
    state.counters["rss_1000_MB"] = after1000 / mb;
    state.counters["growth_MB"] = (after1000 - after100) / mb;
}
BENCHMARK(BM_CheckMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("KIOSK_BIN_DIR", std::filesystem::path(STATIOND_PATH).parent_path().c_str(), 0);
    kiosk::test::EnsureApplication();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
