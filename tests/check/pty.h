#pragma once
// A pseudo-terminal pair standing in for the scanner's serial line: the screen opens the slave
// by its path, the test writes the scans into the master.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

namespace kiosk::test {

class PseudoTerminal {
public:
    PseudoTerminal()
    {
        // Close-on-exec: a process the test starts (stationd, the kiosk) must not keep the master
        // open, or closing it here would not hang the line up.
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) throw std::runtime_error("no pseudo-terminal");
        slave_ = ptsname(master_);
    }
    ~PseudoTerminal() { Vanish(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // The device the screen opens, e.g. /dev/pts/3.
    const std::string& SlavePath() const { return slave_; }
    void Write(const std::string& bytes) const
    {
        if (::write(master_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            throw std::runtime_error("write to pseudo-terminal failed");
    }
    // The scanner is unplugged: the line hangs up.
    void Vanish()
    {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    std::string slave_;
};

} // namespace kiosk::test
