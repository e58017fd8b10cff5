#pragma once
// A small station server on 127.0.0.1 for the seat plan loaders: cpp-httplib on a free port with
// Nagle off, answering each address with the JSON the test gives and counting the requests.
#include <httplib.h>

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

namespace kiosk::test {

class SeatServer {
public:
    SeatServer()
    {
        server_.set_tcp_nodelay(true);
        server_.Post(".*", [this](const httplib::Request& req, httplib::Response& res) { Dispatch(req, res); });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~SeatServer()
    {
        server_.stop();
        thread_.join();
    }
    SeatServer(const SeatServer&) = delete;
    SeatServer& operator=(const SeatServer&) = delete;

    std::string BaseURL() const { return "http://127.0.0.1:" + std::to_string(port_) + "/KtBusWeb/"; }

    // Answers "/KtBusWeb/" + address + ".action" with `answer`.
    void Answer(const std::string& address, const nlohmann::json& answer)
    {
        std::lock_guard lock(mutex_);
        answers_["/KtBusWeb/" + address + ".action"] = answer.dump();
    }
    // The same with an answer text as it stands (answers too large or odd for a JSON value).
    void AnswerText(const std::string& address, std::string answer)
    {
        std::lock_guard lock(mutex_);
        answers_["/KtBusWeb/" + address + ".action"] = std::move(answer);
    }
    int Count(const std::string& address) const
    {
        std::lock_guard lock(mutex_);
        const auto it = counts_.find("/KtBusWeb/" + address + ".action");
        return it == counts_.end() ? 0 : it->second;
    }
    std::string LastBody() const
    {
        std::lock_guard lock(mutex_);
        return lastBody_;
    }

private:
    void Dispatch(const httplib::Request& req, httplib::Response& res)
    {
        std::lock_guard lock(mutex_);
        ++counts_[req.path];
        lastBody_ = req.body;
        const auto it = answers_.find(req.path);
        if (it == answers_.end()) {
            res.status = 404;
            return;
        }
        res.set_content(it->second, "application/json;charset=utf-8");
    }

    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::map<std::string, std::string> answers_;
    std::map<std::string, int> counts_;
    std::string lastBody_;
};

// A query answer in the server's table layout: rows under `list`, their column types under
// `list` + "_type".
inline nlohmann::json TableAnswer(const std::string& list, const nlohmann::json& types, const nlohmann::json& rows)
{
    nlohmann::json answer = nlohmann::json::object();
    answer[list] = rows;
    answer[list + "_type"] = types;
    answer[list + "_typelength"] = nlohmann::json::object();
    answer["flag"] = 1;
    answer["msg"] = "";
    return answer;
}

// A query the server refuses: the list without its types, "flag" 0 and the reason in "msg".
inline nlohmann::json FailedAnswer(const std::string& list, const std::string& msg)
{
    return {{list, nlohmann::json::array()}, {"flag", 0}, {"msg", msg}};
}

} // namespace kiosk::test
