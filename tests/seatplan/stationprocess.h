#pragma once
// The demo station server stationd as a child process of a test: a fresh database in a
// temporary folder, a free port, stopped with SIGTERM at the end.
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

extern char** environ;

namespace kiosk::test {

class StationProcess {
public:
    // Starts `program`; throws when it does not name its address within 20 s.
    StationProcess(const std::string& program, const std::filesystem::path& folder)
    {
        int out[2];
        if (pipe(out) != 0) throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const std::string db = (folder / "stationd.db").string();
        const char* args[] = {program.c_str(), "--port", "0", "--db", db.c_str(), "--fresh", nullptr};
        const int failed = posix_spawn(&pid_, program.c_str(), &actions, nullptr, const_cast<char**>(args), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        if (failed != 0) {
            close(out[0]);
            throw std::runtime_error("cannot start " + program);
        }
        const std::string line = ReadLine(out[0]);
        close(out[0]);
        const auto at = line.find("http://");
        const auto end = line.find("/KtBusWeb/");
        if (at == std::string::npos || end == std::string::npos) {
            Stop();
            throw std::runtime_error("stationd said: " + line);
        }
        url_ = line.substr(at, end + 10 - at);
    }
    ~StationProcess() { Stop(); }
    StationProcess(const StationProcess&) = delete;
    StationProcess& operator=(const StationProcess&) = delete;

    // http://127.0.0.1:port/KtBusWeb/
    const std::string& BaseURL() const { return url_; }

private:
    static std::string ReadLine(int fd)
    {
        std::string line;
        pollfd p{fd, POLLIN, 0};
        char c = 0;
        while (poll(&p, 1, 20000) > 0 && read(fd, &c, 1) == 1 && c != '\n') line += c;
        return line;
    }
    void Stop()
    {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }

    pid_t pid_ = -1;
    std::string url_;
};

} // namespace kiosk::test
