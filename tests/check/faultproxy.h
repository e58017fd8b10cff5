#pragma once
// A loopback server between the kiosk and stationd that passes every request on, except the
// addresses told to fail (HTTP 500 with the detail in <pre>, as a crashing application server
// answers) and those given a fixed answer.
#include <httplib.h>

#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>

namespace kiosk::test {

class FaultProxy {
public:
    explicit FaultProxy(int stationPort) : stationPort_(stationPort)
    {
        server_.set_tcp_nodelay(true);
        // Stopping waits for idle kept-alive connections; keep that wait short.
        server_.set_keep_alive_timeout(1);
        server_.Post(R"(/KtBusWeb/(.*)\.action)", [this](const httplib::Request& req, httplib::Response& res) {
            if (const auto canned = Canned(req.matches[1])) {
                res.set_content(*canned, "application/json; charset=UTF-8");
                return;
            }
            if (Failing(req.matches[1])) {
                res.status = 500;
                res.set_content("<html><body><pre>数据库连接中断</pre></body></html>", "text/html; charset=UTF-8");
                return;
            }
            httplib::Client station("127.0.0.1", stationPort_);
            station.set_tcp_nodelay(true);
            // The kiosk's session travels both ways, as through any proxy.
            httplib::Headers session;
            if (req.has_header("Cookie")) session.emplace("Cookie", req.get_header_value("Cookie"));
            auto answer = station.Post(req.path, session, req.body, req.get_header_value("Content-Type"));
            if (!answer) {
                res.status = 502;
                return;
            }
            res.status = answer->status;
            if (answer->has_header("Set-Cookie")) res.set_header("Set-Cookie", answer->get_header_value("Set-Cookie"));
            res.set_content(answer->body, answer->get_header_value("Content-Type"));
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::yield();
    }
    ~FaultProxy()
    {
        server_.stop();
        thread_.join();
    }
    FaultProxy(const FaultProxy&) = delete;
    FaultProxy& operator=(const FaultProxy&) = delete;

    std::string URLHost() const { return "http://127.0.0.1:" + std::to_string(port_) + "/KtBusWeb/"; }
    void Fail(const std::string& address)
    {
        std::lock_guard lock(mutex_);
        failing_.insert(address);
    }

    // The address answers `json` (a whole answer) from now on.
    void Answer(const std::string& address, const std::string& json)
    {
        std::lock_guard lock(mutex_);
        canned_[address] = json;
    }

private:
    std::optional<std::string> Canned(const std::string& address)
    {
        std::lock_guard lock(mutex_);
        const auto found = canned_.find(address);
        return found == canned_.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
    bool Failing(const std::string& address)
    {
        std::lock_guard lock(mutex_);
        return failing_.count(address) > 0;
    }

    int stationPort_;
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::set<std::string> failing_;
    std::map<std::string, std::string> canned_;
};

} // namespace kiosk::test
