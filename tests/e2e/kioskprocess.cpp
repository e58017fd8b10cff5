#include "e2e/kioskprocess.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <linux/capability.h>

#include "support/tempfolder.h"

extern char** environ;

namespace kiosk::test {

// ---------------------------------------------------------------- NotifySocket

NotifySocket::NotifySocket(const std::filesystem::path& path) : path_(path.string())
{
    fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (fd_ < 0 || path_.size() >= sizeof address.sun_path) throw std::runtime_error("no notification socket");
    path_.copy(address.sun_path, path_.size());
    unlink(path_.c_str());
    if (bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot bind " + path_);
    reader_ = std::thread([this] { Receive(); });
}

NotifySocket::~NotifySocket()
{
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    reader_.join();
    close(fd_);
    unlink(path_.c_str());
}

void NotifySocket::Receive()
{
    for (;;) {
        {
            const std::lock_guard lock(mutex_);
            if (stop_) return;
        }
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        char buffer[4096];
        const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0) continue;
        const std::lock_guard lock(mutex_);
        messages_.push_back({Clock::now(), std::string(buffer, static_cast<std::size_t>(n))});
    }
}

std::vector<NotifySocket::Message> NotifySocket::Messages() const
{
    const std::lock_guard lock(mutex_);
    return messages_;
}

bool NotifySocket::WaitFor(const std::string& text, std::chrono::milliseconds timeout, Clock::time_point* at) const
{
    const auto deadline = Clock::now() + timeout;
    do {
        for (const Message& m : Messages())
            if (m.text.find(text) != std::string::npos) {
                if (at) *at = m.at;
                return true;
            }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (Clock::now() < deadline);
    return false;
}

std::vector<Clock::time_point> NotifySocket::Times(const std::string& text) const
{
    std::vector<Clock::time_point> times;
    for (const Message& m : Messages())
        if (m.text.find(text) != std::string::npos) times.push_back(m.at);
    return times;
}

// ---------------------------------------------------------------- KioskProcess

KioskProcess::KioskProcess(const std::filesystem::path& home, const std::vector<std::string>& env)
    : stderrFile_(home / "kiosk.stderr")
{
    const char* bin = std::getenv("KIOSK_BIN_DIR");
    if (!bin) throw std::runtime_error("KIOSK_BIN_DIR is not set");
    std::vector<std::string> args = {std::string(bin) + "/kiosk", "--home", home.string(), "--unattended"};
    std::vector<std::string> environment = {"QT_QPA_PLATFORM=offscreen"};
    for (char** e = environ; *e; ++e) environment.emplace_back(*e);
    for (const std::string& e : env) environment.push_back(e);
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);
    const int out = open(stderrFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) throw std::runtime_error("cannot write " + stderrFile_.string());

    pid_ = fork();
    if (pid_ == 0) {
        // Out of the bounding set, root's program after exec cannot have the right either.
        if (prctl(PR_CAPBSET_DROP, CAP_SYS_TIME, 0, 0, 0) != 0 && geteuid() == 0) _exit(126);
        setpgid(0, 0);
        dup2(out, 1);
        dup2(out, 2);
        // Nothing of the test's (a scanner's pseudo-terminal master above all) stays open in the
        // kiosk, or unplugging the scanner would not hang its line up.
        close_range(3, ~0U, 0);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(out);
    if (pid_ < 0) throw std::runtime_error("cannot start the kiosk");
}

KioskProcess::~KioskProcess() { Kill(); }

void KioskProcess::Kill()
{
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

bool KioskProcess::Running() const
{
    if (pid_ <= 0) return false;
    int status = 0;
    return waitpid(pid_, &status, WNOHANG) == 0;
}

std::string KioskProcess::Stderr() const { return ReadFile(stderrFile_); }

bool KioskProcess::WaitForStderr(const std::string& text, std::chrono::milliseconds timeout) const
{
    const auto deadline = Clock::now() + timeout;
    do {
        if (Stderr().find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (Clock::now() < deadline);
    return false;
}

int FreeLoopbackPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("no free port");
    close(fd);
    return ntohs(address.sin_port);
}

} // namespace kiosk::test
