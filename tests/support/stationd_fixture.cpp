#include "support/stationd_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace stationd::test {

std::string EncodeValue(const std::string& value)
{
    std::string out;
    for (char c : value) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '%': out += "%25"; break;
        case '?': out += "%3F"; break;
        default: out.push_back(c);
        }
    }
    return out;
}

std::string KioskBody(const Params& params)
{
    std::string body;
    for (const auto& [name, value] : params)
        body += "&" + name + "=" + EncodeValue(value);
    return body;
}

namespace {

std::string StationdPath()
{
    const char* bin = std::getenv("KIOSK_BIN_DIR");
    if (!bin)
        throw std::runtime_error("KIOSK_BIN_DIR is not set");
    return std::string(bin) + "/stationd";
}

// The first line the server writes on standard output, waited for at most 30 s.
std::string ReadFirstLine(int fd)
{
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 200) <= 0)
            continue;
        char c;
        const auto n = read(fd, &c, 1);
        if (n <= 0)
            break;
        if (c == '\n')
            return line;
        line.push_back(c);
    }
    return line;
}

} // namespace

Stationd::Stationd() : Stationd(Options{}) {}

Stationd::Stationd(const Options& options) : folder_(std::make_shared<kiosk::test::TempFolder>())
{
    Start(options);
}

Stationd::Stationd(const Stationd& other, const Options& options) : folder_(other.folder_) { Start(options); }

std::string Stationd::Database() const { return (folder_->path() / "station.db").string(); }

void Stationd::Start(const Options& options)
{
    std::vector<std::string> args = {StationdPath(), "--db", Database(), "--port", "0", "--today", kDemoDay};
    if (options.fresh)
        args.push_back("--fresh");
    args.insert(args.end(), options.extra.begin(), options.extra.end());
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int out[2];
    if (pipe(out) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string log = (folder_->path() / "stationd.log").string();
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, args[0].c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        throw std::runtime_error("cannot start " + args[0]);
    }
    pid_ = pid;
    const std::string line = ReadFirstLine(out[0]);
    close(out[0]);
    const auto colon = line.find("127.0.0.1:");
    if (colon == std::string::npos) {
        Stop(SIGKILL);
        throw std::runtime_error("stationd did not start: [" + line + "] " + Log());
    }
    port_ = std::stoi(line.substr(colon + 10));
    scheme_ = line.find("https://") != std::string::npos ? "https" : "http";
    session_.clear();
}

std::string Stationd::URLHost() const
{
    return scheme_ + "://127.0.0.1:" + std::to_string(port_) + "/KtBusWeb/";
}

Stationd::~Stationd()
{
    if (pid_ > 0)
        Stop(SIGKILL);
}

int Stationd::Stop(int signal)
{
    if (pid_ <= 0)
        return -1;
    kill(pid_, signal);
    int status = 0;
    for (int i = 0; i < 300; ++i) {
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return -1;
}

std::string Stationd::Log() const { return kiosk::test::ReadFile(folder_->path() / "stationd.log"); }

httplib::Client Stationd::AnonymousClient() const
{
    httplib::Client client(scheme_ + "://127.0.0.1:" + std::to_string(port_));
    client.set_tcp_nodelay(true);
    client.set_keep_alive(true);
    client.set_connection_timeout(5);
    client.set_read_timeout(30);
    if (!caFile_.empty())
        client.set_ca_cert_path(caFile_.c_str());
    return client;
}

std::string Stationd::SessionCookie() const
{
    if (!session_.empty())
        return session_;
    auto client = AnonymousClient();
    const auto result = client.Post("/KtBusWeb/system/login.action",
                                    KioskBody({{"username", "kiosk01"}, {"userpwd", "123456"}, {"ticketoutletcode", "ZZ01"}}),
                                    "application/x-www-form-urlencoded;charset=utf-8");
    if (!result || !result->has_header("Set-Cookie")) {
        ADD_FAILURE() << "the staff login of the fixture opened no session";
        return {};
    }
    const std::string cookie = result->get_header_value("Set-Cookie");
    session_ = cookie.substr(0, cookie.find(';'));
    return session_;
}

httplib::Client Stationd::Client() const
{
    auto client = AnonymousClient();
    if (const std::string cookie = SessionCookie(); !cookie.empty())
        client.set_default_headers({{"Cookie", cookie}});
    return client;
}

httplib::Result Stationd::Raw(const std::string& address, const std::string& body) const
{
    // A staff login goes as a new kiosk's does: one sent in the fixture's session would end it.
    auto client = address == "system/login" ? AnonymousClient() : Client();
    auto result = client.Post(("/KtBusWeb/" + address + ".action").c_str(), body,
                              "application/x-www-form-urlencoded;charset=utf-8");
    if (address == "system/logout")
        session_.clear();  // ended: the next request logs in again
    return result;
}

Json Stationd::Post(const std::string& address, const Params& params) const
{
    const auto result = Raw(address, KioskBody(params));
    if (!result) {
        ADD_FAILURE() << address << ": no answer";
        return Json::object();
    }
    EXPECT_EQ(result->status, 200) << address << ": " << result->body;
    Json answer = Json::parse(result->body, nullptr, false);
    EXPECT_TRUE(answer.is_object()) << address << ": " << result->body;
    return answer.is_object() ? answer : Json::object();
}

const Json* Path(const Json& object, const std::string& dotted)
{
    const Json* node = &object;
    std::size_t at = 0;
    for (;;) {
        const auto dot = dotted.find('.', at);
        const std::string part = dotted.substr(at, dot == std::string::npos ? std::string::npos : dot - at);
        if (!node->is_object() || !node->contains(part))
            return nullptr;
        node = &node->at(part);
        if (dot == std::string::npos)
            return node;
        at = dot + 1;
    }
}

} // namespace stationd::test
