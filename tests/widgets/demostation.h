#pragma once
// The demo station server for the lookup tests: $KIOSK_BIN_DIR/stationd on a free loopback port
// with a fresh demo database in a temporary folder (its request log beside it), stopped with
// SIGTERM at the end.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "support/tempfolder.h"

extern char** environ;

namespace kiosk::test {

class DemoStation {
public:
    DemoStation()
    {
        const char* bin = std::getenv("KIOSK_BIN_DIR");
        const std::string program = std::string(bin ? bin : ".") + "/stationd";
        const std::string db = (folder_ / "stationd.db").string();
        const std::string log = (folder_ / "stationd.log").string();
        int out[2];
        if (pipe(out) != 0) throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const char* args[] = {program.c_str(), "--port", "0", "--db", db.c_str(), "--fresh", nullptr};
        const int failed = posix_spawn(&pid_, program.c_str(), &actions, nullptr, const_cast<char**>(args), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        if (failed != 0) {
            close(out[0]);
            throw std::runtime_error("cannot start " + program);
        }
        // "stationd listening on http://127.0.0.1:PORT/KtBusWeb/ (demo day …)"
        const std::string line = FirstLine(out[0]);
        close(out[0]);
        const auto from = line.find("http://");
        const auto to = line.find("/KtBusWeb/");
        if (from == std::string::npos || to == std::string::npos) {
            Stop();
            throw std::runtime_error("stationd said: " + line);
        }
        url_ = line.substr(from, to + 10 - from);
    }
    ~DemoStation() { Stop(); }
    DemoStation(const DemoStation&) = delete;
    DemoStation& operator=(const DemoStation&) = delete;

    // The URLHost for TjsonConnection: http://127.0.0.1:PORT/KtBusWeb/
    const std::string& URLHost() const { return url_; }

private:
    static std::string FirstLine(int fd)
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

    TempFolder folder_;
    pid_t pid_ = -1;
    std::string url_;
};

} // namespace kiosk::test
