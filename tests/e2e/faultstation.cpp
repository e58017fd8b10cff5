#include "e2e/faultstation.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kiosk::test {

namespace {

constexpr const char* kCheckAnswerStart = R"({"flag":1,"msg":"检票成功！13号座，到站：韶关","scheduleplanid":7001,)";
constexpr std::size_t kEnormousBytes = std::size_t(64) << 20;

} // namespace

FaultStation::FaultStation(int stationPort) : stationPort_(stationPort) { Listen(); }

FaultStation::~FaultStation()
{
    Clear();
    StopResetting();
    StopListening();
}

void FaultStation::Set(TFault fault, const std::string& address)
{
    TFault before;
    {
        std::lock_guard lock(mutex_);
        before = fault_;
        fault_ = fault;
        address_ = address;
        ++generation_;
    }
    released_.notify_all();
    if (before == TFault::Down || before == TFault::Refuse) {
        StopResetting();
        if (!server_) Listen();
    }
    if (fault == TFault::Down || fault == TFault::Refuse) StopListening();
    if (fault == TFault::Refuse) StartResetting();
}

void FaultStation::SetStationPort(int port)
{
    std::lock_guard lock(mutex_);
    stationPort_ = port;
}

void FaultStation::Restart()
{
    StopListening();
    Listen();
}

TFault FaultStation::FaultFor(const std::string& address)
{
    std::lock_guard lock(mutex_);
    return address_.empty() || address_ == address ? fault_ : TFault::None;
}

void FaultStation::Handle(const httplib::Request& req, httplib::Response& res)
{
    switch (FaultFor(req.matches[1])) {
    case TFault::Stall:
        Stall(res);
        return;
    case TFault::Http500:
        res.status = 500;
        res.set_content("<html>\n<head><title>HTTP Status 500</title></head>\n<body><h1>HTTP Status 500</h1>\n"
                        "<pre>java.sql.SQLException: 数据库连接中断\n\tat station.CheckAction.check(CheckAction.java:88)\n"
                        "</pre>\n</body>\n</html>\n",
                        "text/html; charset=UTF-8");
        return;
    case TFault::NotJson:
        res.set_content("<html><body>系统维护中，请稍候</body></html>", "text/html; charset=UTF-8");
        return;
    case TFault::Truncated:
        res.set_content(kCheckAnswerStart, "application/json; charset=UTF-8");
        return;
    case TFault::NoFlag:
        res.set_content(R"({"msg":"检票成功！13号座，到站：韶关","scheduleplanid":7001,"reportid":"5001"})",
                        "application/json; charset=UTF-8");
        return;
    case TFault::WrongTypes:
        res.set_content(R"({"flag":[1],"msg":{"text":"检票成功！"},"scheduleplanid":"七千零一","reportid":null})",
                        "application/json; charset=UTF-8");
        return;
    case TFault::Enormous:
        res.set_chunked_content_provider("application/json; charset=UTF-8",
                                         [sent = std::size_t(0)](std::size_t, httplib::DataSink& sink) mutable {
                                             static const std::string block(1 << 16, 'x');
                                             if (sent == 0 && !sink.write(kCheckAnswerStart, 20)) return false;
                                             if (sent >= kEnormousBytes + block.size()) {
                                                 sink.done();
                                                 return true;
                                             }
                                             sent += block.size();
                                             return sink.write(block.data(), block.size());
                                         });
        return;
    case TFault::None:
    case TFault::Down:
    case TFault::Refuse:
        Forward(req, res);
        return;
    }
}

void FaultStation::Forward(const httplib::Request& req, httplib::Response& res)
{
    int port;
    {
        std::lock_guard lock(mutex_);
        port = stationPort_;
    }
    httplib::Client station("127.0.0.1", port);
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
}

void FaultStation::Stall(httplib::Response& res)
{
    std::unique_lock lock(mutex_);
    const int generation = generation_;
    released_.wait(lock, [&] { return generation_ != generation; });
    res.status = 503;
}

void FaultStation::Listen()
{
    server_ = std::make_unique<httplib::Server>();
    server_->set_tcp_nodelay(true);
    // Stopping waits for kept-alive connections to end: keep them a short while only.
    server_->set_keep_alive_timeout(1);
    server_->Post(R"(/KtBusWeb/(.*)\.action)",
                  [this](const httplib::Request& req, httplib::Response& res) { Handle(req, res); });
    if (port_ == 0)
        port_ = server_->bind_to_any_port("127.0.0.1");
    else if (!server_->bind_to_port("127.0.0.1", port_))
        throw std::runtime_error("cannot listen again on port " + std::to_string(port_));
    serverThread_ = std::thread([this] { server_->listen_after_bind(); });
    while (!server_->is_running()) std::this_thread::yield();
}

void FaultStation::StopListening()
{
    if (!server_) return;
    server_->stop();
    serverThread_.join();
    server_.reset();
}

// Listens on the port and resets every connection as soon as it is taken (SO_LINGER 0).
void FaultStation::StartResetting()
{
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    // The port's former connections were taken with SO_REUSEPORT; this socket shares the port with them.
    const int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    setsockopt(listener, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port_));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 16) != 0) {
        close(listener);
        throw std::runtime_error("cannot listen on port " + std::to_string(port_));
    }
    resetSocket_ = listener;
    resetThread_ = std::thread([socket = resetSocket_] {
        for (;;) {
            const int connection = accept(socket, nullptr, nullptr);
            if (connection < 0) return;
            const linger reset{1, 0};
            setsockopt(connection, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
            close(connection);
        }
    });
}

void FaultStation::StopResetting()
{
    if (resetSocket_ < 0) return;
    shutdown(resetSocket_, SHUT_RDWR);
    resetThread_.join();
    close(resetSocket_);
    resetSocket_ = -1;
}

} // namespace kiosk::test
