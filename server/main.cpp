// stationd: the demo station server. Listens for the kiosk's requests, logs one line per request
// to standard error and stops cleanly on SIGINT or SIGTERM.
#include "calendar.h"
#include "charset.h"
#include "demodata.h"
#include "service.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <string>
#include <thread>

namespace {

constexpr const char* kUsage = R"(usage: stationd [options]
  --host ADDRESS     address to listen on (default 127.0.0.1)
  --port PORT        port to listen on (default 8080; 0 picks a free one)
  --db FILE          station database (default stationd.db; created with the demo data)
  --fresh            recreate the database with the demo data
  --today YYYY-MM-DD the demo day (default today)
  --line-tickets N   sell N more LS01 line-work tickets, 0001000001 onwards
  --charset NAME     answer in this charset, named in Content-Type (utf-8 by default; gbk, gb18030)
  --tls-cert FILE    serve HTTPS with this PEM certificate (chain) ...
  --tls-key FILE     ... and this PEM private key
  --session-timeout MINUTES
                     end a session after so many idle minutes (default 0: at logout only)
  --help             this text
Every address but system/testConn, system/login and system/helpNoAuth wants the session
(cookie JSESSIONID) that the staff login opens; without it the answer is HTTP 401.
The first line on standard output names the address served, for example
  stationd listening on http://127.0.0.1:8080/KtBusWeb/
)";

struct Options {
    std::string host = "127.0.0.1";
    int port = 8080;
    std::string db = "stationd.db";
    bool fresh = false;
    std::string today;
    int lineTickets = 0;
    std::string charset;  // empty: UTF-8
    std::string tlsCert;
    std::string tlsKey;
    int sessionTimeout = 0;
    bool help = false;
};

bool IsUtf8(const std::string& charset)
{
    std::string upper;
    for (char c : charset)
        upper.push_back(static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c));
    return upper.empty() || upper == "UTF-8" || upper == "UTF8";
}

bool ParseOptions(int argc, char** argv, Options& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            into = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h")
            options.help = true;
        else if (arg == "--fresh")
            options.fresh = true;
        else if (arg == "--host") {
            if (!value(options.host))
                return false;
        } else if (arg == "--db") {
            if (!value(options.db))
                return false;
        } else if (arg == "--port") {
            if (!value(text))
                return false;
            const auto port = stationd::ToInt(text);
            if (!port || *port < 0 || *port > 65535) {
                error = "--port wants a number from 0 to 65535";
                return false;
            }
            options.port = static_cast<int>(*port);
        } else if (arg == "--today") {
            if (!value(text))
                return false;
            const auto day = stationd::ParseDay(text);
            if (!day) {
                error = "--today wants a day as YYYY-MM-DD";
                return false;
            }
            options.today = *day;
        } else if (arg == "--line-tickets") {
            if (!value(text))
                return false;
            const auto count = stationd::ToInt(text);
            if (!count || *count < 0 || *count > 1000000) {
                error = "--line-tickets wants a number from 0 to 1000000";
                return false;
            }
            options.lineTickets = static_cast<int>(*count);
        } else if (arg == "--charset") {
            if (!value(text))
                return false;
            options.charset = IsUtf8(text) ? std::string() : text;
            try {
                stationd::FromUtf8("检票", options.charset.empty() ? "UTF-8" : options.charset);
            } catch (const std::exception&) {
                error = "--charset " + text + " is not a charset this machine knows";
                return false;
            }
        } else if (arg == "--tls-cert") {
            if (!value(options.tlsCert))
                return false;
        } else if (arg == "--tls-key") {
            if (!value(options.tlsKey))
                return false;
        } else if (arg == "--session-timeout") {
            if (!value(text))
                return false;
            const auto minutes = stationd::ToInt(text);
            if (!minutes || *minutes < 0 || *minutes > 100000) {
                error = "--session-timeout wants minutes from 0 to 100000";
                return false;
            }
            options.sessionTimeout = static_cast<int>(*minutes);
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (options.tlsCert.empty() != options.tlsKey.empty()) {
        error = "--tls-cert and --tls-key go together";
        return false;
    }
    if (options.today.empty())
        options.today = stationd::RealToday();
    return true;
}

std::string Stamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
    return buffer;
}

std::mutex logMutex;

void LogRequest(const std::string& remote, const std::string& path, const stationd::Reply& reply, double ms)
{
    char elapsed[32];
    std::snprintf(elapsed, sizeof elapsed, "%.2fms", ms);
    const std::lock_guard<std::mutex> lock(logMutex);
    std::cerr << Stamp() << ' ' << remote << ' ' << path << " [" << reply.params << "] flag=" << reply.flag << ' '
              << elapsed << '\n';
}

// The reply as sent: in the station's charset when it is not UTF-8, with the charset named.
void SetContent(httplib::Response& res, std::string body, const std::string& contentType, const std::string& charset)
{
    if (charset.empty()) {
        res.set_content(body, contentType.c_str());
        return;
    }
    const std::string meta = "<meta charset=\"utf-8\">";
    if (const auto at = body.find(meta); at != std::string::npos)
        body.replace(at, meta.size(), "<meta charset=\"" + charset + "\">");
    res.set_content(stationd::FromUtf8(body, charset), stationd::WithCharset(contentType, charset).c_str());
}

void Serve(httplib::Server& server, const stationd::StationService& service, const std::string& charset)
{
    auto handle = [&service, &charset](const httplib::Request& req, httplib::Response& res) {
        const auto start = std::chrono::steady_clock::now();
        const stationd::Reply reply =
            service.Handle({req.method, req.path, req.body, req.remote_addr, req.get_header_value("Cookie")});
        res.status = reply.status;
        if (!reply.setCookie.empty())
            res.set_header("Set-Cookie", reply.setCookie);
        SetContent(res, reply.body, reply.contentType, charset);
        const std::chrono::duration<double, std::milli> ms = std::chrono::steady_clock::now() - start;
        LogRequest(req.remote_addr, req.path, reply, ms.count());
    };
    server.Post(".*", handle);
    server.Get(".*", handle);
    server.Put(".*", handle);
    server.Delete(".*", handle);
    server.set_error_handler([&charset](const httplib::Request& req, httplib::Response& res) {
        if (!res.body.empty())
            return;
        const auto page = stationd::ErrorPage(res.status, req.path + " 请求无法处理");
        SetContent(res, page.body, page.contentType, charset);
    });
    server.set_exception_handler([&charset](const httplib::Request&, httplib::Response& res, std::exception_ptr error) {
        std::string detail = "服务器内部错误";
        try {
            if (error)
                std::rethrow_exception(error);
        } catch (const std::exception& e) {
            detail += std::string("：") + e.what();
        } catch (...) {
        }
        const auto page = stationd::ErrorPage(500, detail);
        res.status = 500;
        SetContent(res, page.body, page.contentType, charset);
    });
    server.set_tcp_nodelay(true);
    server.set_payload_max_length(1024 * 1024);
    server.set_keep_alive_max_count(10000);
    server.set_keep_alive_timeout(5);
    server.set_read_timeout(30);
    server.new_task_queue = [] { return new httplib::ThreadPool(16); };
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        std::cerr << "stationd: " << error << "\n" << kUsage;
        return 2;
    }
    if (options.help) {
        std::cout << kUsage;
        return 0;
    }
    // The signals are taken by one thread with sigwait, which then stops the server from outside
    // any signal handler.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    try {
        stationd::PrepareDatabase(options.db, options.fresh, options.today, std::cerr);
        if (options.lineTickets > 0)
            stationd::AddLineWorkTickets(options.db, options.lineTickets, std::cerr);
        const bool tls = !options.tlsCert.empty();
        const stationd::StationService service(options.db, stationd::DemoClock(options.today),
                                               {options.sessionTimeout, tls});
        std::unique_ptr<httplib::Server> made;
        if (tls)
            made = std::make_unique<httplib::SSLServer>(options.tlsCert.c_str(), options.tlsKey.c_str());
        else
            made = std::make_unique<httplib::Server>();
        httplib::Server& server = *made;
        if (!server.is_valid()) {
            std::cerr << "stationd: cannot serve HTTPS with " << options.tlsCert << " and " << options.tlsKey << "\n";
            return 1;
        }
        Serve(server, service, options.charset);
        const int port = options.port == 0 ? server.bind_to_any_port(options.host)
                                           : (server.bind_to_port(options.host, options.port) ? options.port : -1);
        if (port <= 0) {
            std::cerr << "stationd: cannot listen on " << options.host << ":" << options.port << "\n";
            return 1;
        }
        // A stop that arrives before the server listens would be lost, so it is repeated until
        // listening has ended.
        std::atomic<bool> ended{false};
        std::thread stopper([&server, &ended, stopSignals] {
            int signal = 0;
            sigwait(&stopSignals, &signal);
            while (!ended) {
                server.stop();
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        });
        std::cout << "stationd listening on " << (tls ? "https" : "http") << "://" << options.host << ":" << port << "/KtBusWeb/ (demo day "
                  << options.today << ")" << std::endl;
        const bool clean = server.listen_after_bind();
        ended = true;
        pthread_kill(stopper.native_handle(), SIGTERM); // wakes the stopper when listening ended by itself
        stopper.join();
        std::cerr << "stationd: stopped\n";
        return clean ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "stationd: " << e.what() << "\n";
        return 1;
    }
}
