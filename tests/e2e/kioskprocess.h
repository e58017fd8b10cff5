#pragma once
// The kiosk program as a kiosk PC runs it, for end-to-end tests: its own process, offscreen,
// unattended, its standard error (which the journal would collect) kept in a file, and a
// datagram socket in place of systemd's notification socket that records READY, WATCHDOG and
// STATUS messages with the time they came. The process never gets the right to set the clock
// (stationd's demo day is years away from the machine's).
#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kiosk::test {

using Clock = std::chrono::steady_clock;

class NotifySocket {
public:
    struct Message {
        Clock::time_point at;
        std::string text;
    };
    explicit NotifySocket(const std::filesystem::path& path);
    ~NotifySocket();
    NotifySocket(const NotifySocket&) = delete;
    NotifySocket& operator=(const NotifySocket&) = delete;

    const std::string& Path() const { return path_; }
    std::vector<Message> Messages() const;
    // Waits until a message holding `text` has come; answers when it came.
    bool WaitFor(const std::string& text, std::chrono::milliseconds timeout, Clock::time_point* at = nullptr) const;
    // The times of the messages holding `text`.
    std::vector<Clock::time_point> Times(const std::string& text) const;

private:
    void Receive();

    std::string path_;
    int fd_ = -1;
    bool stop_ = false;
    mutable std::mutex mutex_;
    std::vector<Message> messages_;
    std::thread reader_;
};

class KioskProcess {
public:
    // Starts $KIOSK_BIN_DIR/kiosk --home HOME --unattended with `env` (NAME=value) added.
    KioskProcess(const std::filesystem::path& home, const std::vector<std::string>& env);
    ~KioskProcess();
    KioskProcess(const KioskProcess&) = delete;
    KioskProcess& operator=(const KioskProcess&) = delete;

    std::string Stderr() const;
    bool WaitForStderr(const std::string& text, std::chrono::milliseconds timeout) const;
    bool Running() const;
    void Kill();

private:
    std::filesystem::path stderrFile_;
    int pid_ = -1;
};

// A loopback port that nothing listens on now (the kernel's choice for a moment's socket).
int FreeLoopbackPort();

} // namespace kiosk::test
