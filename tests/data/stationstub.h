#pragma once
// A small station server on 127.0.0.1 for the transport tests: cpp-httplib on a free port,
// Nagle off, answering each path with what the test tells it and recording every request.
#include <httplib.h>

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kiosk::test {

struct RecordedRequest {
    std::string method;
    std::string path;
    std::string body;
    std::string contentType;
    std::string authorization;
    int remotePort = 0;
};

class StationStub {
public:
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    StationStub()
    {
        server_.set_tcp_nodelay(true);
        server_.set_keep_alive_max_count(100000);
        server_.Post(".*", [this](const httplib::Request& req, httplib::Response& res) { Dispatch(req, res); });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::yield();
    }
    ~StationStub()
    {
        server_.stop();
        thread_.join();
    }
    StationStub(const StationStub&) = delete;
    StationStub& operator=(const StationStub&) = delete;

    int Port() const { return port_; }
    // The server itself, for handlers of other verbs.
    httplib::Server& Raw() { return server_; }
    // The base address of the kiosk's connection: http://127.0.0.1:port/KtBusWeb/
    std::string BaseURL() const { return "http://127.0.0.1:" + std::to_string(port_) + "/KtBusWeb/"; }

    // Answers `path` with status 200 and the JSON `body`.
    void Answer(const std::string& path, const std::string& body)
    {
        On(path, [body](const httplib::Request&, httplib::Response& res) { res.set_content(body, "application/json;charset=utf-8"); });
    }
    void On(const std::string& path, Handler handler)
    {
        std::lock_guard lock(mutex_);
        handlers_[path] = std::move(handler);
    }
    std::vector<RecordedRequest> Requests() const
    {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    RecordedRequest Last() const
    {
        std::lock_guard lock(mutex_);
        return requests_.empty() ? RecordedRequest{} : requests_.back();
    }

private:
    void Dispatch(const httplib::Request& req, httplib::Response& res)
    {
        Handler handler;
        {
            std::lock_guard lock(mutex_);
            requests_.push_back({req.method, req.path, req.body, req.get_header_value("Content-Type"),
                                 req.get_header_value("Authorization"), req.remote_port});
            const auto it = handlers_.find(req.path);
            if (it != handlers_.end()) handler = it->second;
        }
        if (handler) handler(req, res);
        else res.status = 404;
    }

    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::map<std::string, Handler> handlers_;
    std::vector<RecordedRequest> requests_;
};

} // namespace kiosk::test
