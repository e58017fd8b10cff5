#pragma once
// A loopback server between the kiosk and stationd that passes every request on, except the
// addresses told to fail: those answer HTTP 500 with the detail in <pre>, as a crashing
// application server does.
#include <httplib.h>

#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace kiosk::test {

class FaultProxy {
public:
    explicit FaultProxy(int stationPort) : stationPort_(stationPort)
    {
        server_.set_tcp_nodelay(true);
        server_.Post(R"(/KtBusWeb/(.*)\.action)", [this](const httplib::Request& req, httplib::Response& res) {
            if (Failing(req.matches[1])) {
                res.status = 500;
                res.set_content("<html><body><pre>数据库连接中断</pre></body></html>", "text/html; charset=UTF-8");
                return;
            }
            httplib::Client station("127.0.0.1", stationPort_);
            station.set_tcp_nodelay(true);
            auto answer = station.Post(req.path, req.body, req.get_header_value("Content-Type"));
            if (!answer) {
                res.status = 502;
                return;
            }
            res.status = answer->status;
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

private:
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
};

} // namespace kiosk::test
