#pragma once
// TLogObj (ILog): appends time-stamped lines to one file a day in the error folder, and writes
// every line to standard error as well, where the journal of a kiosk PC collects it.
#include "core/services.h"

namespace kiosk {

class TLogObj : public TInterfacedObject<ILog> {
public:
    explicit TLogObj(std::shared_ptr<ISysInfo> sysInfo) : sysInfo_(std::move(sysInfo)) {}

    void LogOperation(const std::string&, const std::string&, const std::string&) override {}
    void LogReserved(const std::string&, const std::string&, const std::string&) override;
    // Writes "[HH:MM:SS]  text" to standard error, then appends it + CR LF to
    // ErrorPath/YYYY-MM-DD.txt; EInOutError when the file fails, unless file failures are
    // only reported (SetReportFileFailuresOnly).
    void WriteLog(const std::string& text) override;
    void WriteLogFmt(std::string_view format, std::initializer_list<std::string_view> args) override;

    // An unattended kiosk goes on when its log file cannot be written (an unwritable folder, a
    // full disk): the line has reached standard error, and each new reason for the failure is
    // said there once instead of being raised into the screen that logged.
    static void SetReportFileFailuresOnly(bool value);

private:
    void AppendToFile(const std::string& fileName, const std::string& line);

    std::shared_ptr<ISysInfo> sysInfo_;
};

} // namespace kiosk
