#pragma once
// A private sound server for one test or benchmark process: PulseAudio with a null sink (the
// sound goes nowhere, but is played in real time) on a socket in a temporary folder. It must be
// started before anything of Qt Multimedia runs, since the process finds its sound server once.
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "support/tempfolder.h"

namespace kiosk::test {

class SoundServer {
public:
    SoundServer()
    {
        const std::string program = "/usr/bin/pulseaudio";
        if (!std::filesystem::exists(program)) {
            why_ = "pulseaudio is not installed";
            return;
        }
        const std::string dir = folder_.path().string();
        socket_ = dir + "/native";
        pid_ = fork();
        if (pid_ == 0) {
            setenv("HOME", dir.c_str(), 1);
            setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
            const std::string log = dir + "/log";
            if (!freopen(log.c_str(), "w", stderr)) _exit(126);
            const std::string sink = "module-null-sink sink_name=kiosk";
            const std::string unix = "module-native-protocol-unix socket=" + socket_ + " auth-anonymous=1";
            execl(program.c_str(), program.c_str(), "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                  "--disable-shm=yes", ("--load=" + sink).c_str(), ("--load=" + unix).c_str(), nullptr);
            _exit(127);
        }
        for (int i = 0; i < 100 && !std::filesystem::exists(socket_); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!std::filesystem::exists(socket_)) {
            why_ = "pulseaudio did not start: " + ReadFile(folder_ / "log");
            return;
        }
        setenv("PULSE_SERVER", ("unix:" + socket_).c_str(), 1);
    }
    ~SoundServer()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    SoundServer(const SoundServer&) = delete;
    SoundServer& operator=(const SoundServer&) = delete;

    bool Running() const { return why_.empty(); }
    // Why there is no server, for the skip message.
    const std::string& Why() const { return why_; }

private:
    TempFolder folder_;
    std::string socket_;
    std::string why_;
    pid_t pid_ = -1;
};

} // namespace kiosk::test
