// The road of one ticket check as the kiosk walks it, against a real stationd with the demo data
// on loopback over one kept-alive connection: pre-check, check, ticket list, seat states, report
// check. Reports the median milliseconds per request, per endpoint and over the road, beside the
// round trip of the lightest endpoint (the connection test) for scale.
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// One stationd for the whole run, on a fresh database in a temporary folder.
class Server {
public:
    Server()
    {
        folder_ = std::filesystem::temp_directory_path() / ("bench_server_" + std::to_string(getpid()));
        std::filesystem::create_directories(folder_);
        const std::string db = (folder_ / "station.db").string();
        std::vector<std::string> args = {STATIOND_PATH, "--db", db, "--fresh", "--port", "0", "--today", "2024-05-01"};
        std::vector<char*> argv;
        for (auto& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        int out[2];
        if (pipe(out) != 0)
            throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        if (posix_spawn(&pid_, args[0].c_str(), &actions, nullptr, argv.data(), environ) != 0)
            throw std::runtime_error("cannot start stationd");
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        std::string line;
        char c;
        while (read(out[0], &c, 1) == 1 && c != '\n')
            line.push_back(c);
        close(out[0]);
        const auto at = line.find("127.0.0.1:");
        if (at == std::string::npos)
            throw std::runtime_error("stationd did not start");
        port_ = std::stoi(line.substr(at + 10));
    }
    ~Server()
    {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    int Port() const { return port_; }

private:
    std::filesystem::path folder_;
    pid_t pid_ = -1;
    int port_ = 0;
};

Server& TheServer()
{
    static Server server;
    return server;
}

struct Kiosk {
    httplib::Client client;
    explicit Kiosk(int port) : client("127.0.0.1", port)
    {
        client.set_tcp_nodelay(true);
        client.set_keep_alive(true);
        LogIn();
    }
    // The staff login, whose session every request of the check road wants.
    void LogIn()
    {
        const auto result = client.Post("/KtBusWeb/system/login.action",
                                        "&username=kiosk01&userpwd=123456&ticketoutletcode=ZZ01",
                                        "application/x-www-form-urlencoded;charset=utf-8");
        if (!result || !result->has_header("Set-Cookie"))
            throw std::runtime_error("the staff login opened no session");
        const std::string cookie = result->get_header_value("Set-Cookie");
        client.set_default_headers({{"Cookie", cookie.substr(0, cookie.find(';'))}});
    }
    // One request; answers its milliseconds and fails the run on anything but a 200.
    double Post(const std::string& address, const std::string& body)
    {
        const auto start = std::chrono::steady_clock::now();
        const auto result = client.Post(("/KtBusWeb/" + address + ".action").c_str(), body,
                                        "application/x-www-form-urlencoded;charset=utf-8");
        const std::chrono::duration<double, std::milli> ms = std::chrono::steady_clock::now() - start;
        if (!result || result->status != 200)
            throw std::runtime_error(address + " failed");
        return ms.count();
    }
};

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string Ticket(int i)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%010d", 13011 + i);
    return buffer;
}

void BM_CheckRoad(benchmark::State& state)
{
    Kiosk kiosk(TheServer().Port());
    std::map<std::string, std::vector<double>> times;
    std::vector<double> all;
    int n = 0;
    for (auto _ : state) {
        const std::string ticket = Ticket(n++);
        const std::pair<const char*, std::string> road[] = {
            {"checkticket/checkisschedule", "&ticketno=" + ticket + "&vehiclereportid=5003&departdate=2024-05-01"},
            {"checkticket/checkbyTicketno", "&checkstationid=101&vehiclereportid=5003&ticketno=" + ticket +
                                                "&ticketentrance=1号检票口&ip=127.0.0.1&islazycheck=False"},
            {"checkticket/queryCheckedticket", "&filter_EQL_sp!id=7001"},
            {"checkticket/qrySeatstatus", "&scheduleplanid=7001"},
            {"checkticket/qryIssamerep", "&vehiclereportid=5003&ticketno=" + ticket +
                                             "&checkstationid=101&departdate=2024-05-01"},
        };
        for (const auto& [address, body] : road) {
            const double ms = kiosk.Post(address, body);
            times[address].push_back(ms);
            all.push_back(ms);
        }
    }
    state.counters["median_ms"] = Median(all);
    for (const auto& [address, values] : times)
        state.counters[std::string(address).substr(std::string(address).find('/') + 1)] = Median(values);
}
BENCHMARK(BM_CheckRoad)->Iterations(200)->Unit(benchmark::kMillisecond);

void BM_ConnectionTest(benchmark::State& state)
{
    Kiosk kiosk(TheServer().Port());
    std::vector<double> times;
    for (auto _ : state)
        times.push_back(kiosk.Post("system/testConn", "&secretKey=KESTKEY&hostAddress=127.0.0.1&hostName= bench"));
    state.counters["median_ms"] = Median(times);
}
BENCHMARK(BM_ConnectionTest)->Iterations(1000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
