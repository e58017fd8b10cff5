#pragma once
// One kiosk at the check screen, offscreen: the services of a logged-in staff user of
// organisation 11 / station 101 on the demo day, the recording dialog, a data module whose
// connection goes to a given server, and the check screen of one vehicle. Shared by the
// end-to-end tests and the check benchmark.
#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "check/frmcheck.h"
#include "core/dmpublic.h"
#include "support/recordingdialog.h"
#include "support/tempfolder.h"

namespace kiosk::test {

inline constexpr std::int64_t kSeatPlanBus = 71; // 粤A12345: K0830, tickets 0000011011-0000011030 unchecked
inline constexpr std::int64_t kLineBus = 72;     // 粤A23456: line work LS01, 0000013004-0000013240 unchecked

class CheckDesk {
public:
    // `appIni` is written as the kiosk's App.ini before anything reads it.
    explicit CheckDesk(const std::string& appIni = "[server]\ncom=/dev/no-scanner-here\n");
    ~CheckDesk();
    CheckDesk(const CheckDesk&) = delete;
    CheckDesk& operator=(const CheckDesk&) = delete;

    // Points the data module's connection (and the seat plan's) at `urlHost` and makes the
    // kiosk's staff login there, so the connection holds the server's session.
    void SetServer(const std::string& urlHost);
    // A new check screen for the vehicle, shown at 1600×900 (the former one is closed first).
    TFrmCheck& Open(std::int64_t vehicle);
    // Closes and deletes the screen (before its server goes away).
    void Close() { form_.reset(); }
    // Puts the number into the ticket field and presses Enter in it.
    void Check(const QString& ticketno);

    TFrmCheck& Form() const { return *form_; }
    TDMPublic& Module() const { return *module_; }
    TRecordingDialog::Script& Dialogs() const { return *dialogs_; }
    const TempFolder& Home() const { return home_; }
    // Every log file of <home>/error, one after the other.
    std::string Log() const;

private:
    TempFolder home_;
    std::shared_ptr<TRecordingDialog::Script> dialogs_;
    std::unique_ptr<TDMPublic> module_;
    std::unique_ptr<TFrmCheck> form_;
};

// "0000013004"-style number of the n-th line-work ticket that can be checked onto 粤A23456: the
// demo's 0000013004-0000013240 first, then the ones stationd --line-tickets sold.
QString LineTicket(int n);
inline constexpr int kDemoLineTickets = 237;

// The lines of a log that are not "[hh:mm:ss]  text" ended by CR LF.
std::vector<std::string> MalformedLogLines(const std::string& log);

// The resident set size of this process in bytes (from /proc/self/statm).
std::size_t ResidentBytes();

} // namespace kiosk::test
