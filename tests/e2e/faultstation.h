#pragma once
// A loopback server between the kiosk and stationd, programmable per request: it passes every
// request on to stationd, except those the set fault hits (every address, or one address). The
// faults are the ones a kiosk meets in a station: nothing listening, connections torn down, a
// server that stops answering, an error page, and answers that are not what was declared.
#include <httplib.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace kiosk::test {

enum class TFault {
    None,
    Down,        // nothing listens on the port
    Refuse,      // every connection is taken and reset at once
    Stall,       // the request is taken and never answered (until the fault is cleared)
    Http500,     // HTTP 500 with the detail in <pre>
    NotJson,     // 200 with an HTML page
    Truncated,   // 200 with a check answer cut off in the middle
    NoFlag,      // 200 with a check answer that lacks "flag"
    WrongTypes,  // 200 with "flag" an array, "msg" an object
    Enormous,    // 200 with a 64 MB answer, sent in chunks
};

class FaultStation {
public:
    explicit FaultStation(int stationPort);
    ~FaultStation();
    FaultStation(const FaultStation&) = delete;
    FaultStation& operator=(const FaultStation&) = delete;

    std::string URLHost() const { return "http://127.0.0.1:" + std::to_string(port_) + "/KtBusWeb/"; }
    // Requests to `address` (e.g. "checkticket/checkbyTicketno"; empty: every address) get `fault`.
    void Set(TFault fault, const std::string& address = "");
    // Back to passing everything on; a stalled request is let go.
    void Clear() { Set(TFault::None); }
    // stationd moved to another port (a restart).
    void SetStationPort(int port);
    // Closes every connection and listens anew on the same port, as a restarted server does.
    void Restart();

private:
    void Handle(const httplib::Request& req, httplib::Response& res);
    TFault FaultFor(const std::string& address);
    void Forward(const httplib::Request& req, httplib::Response& res);
    void Stall(httplib::Response& res);
    void Listen();
    void StopListening();
    void StartResetting();
    void StopResetting();

    int port_ = 0;
    std::unique_ptr<httplib::Server> server_;
    std::thread serverThread_;
    int resetSocket_ = -1;
    std::thread resetThread_;

    std::mutex mutex_;
    std::condition_variable released_;
    int stationPort_;
    TFault fault_ = TFault::None;
    std::string address_;
    int generation_ = 0; // counts Set(); a stalled request waits for the next one
};

} // namespace kiosk::test
