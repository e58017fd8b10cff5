#pragma once
// TLogObj (ILog): appends time-stamped lines to one file a day in the error folder.
#include "core/services.h"

namespace kiosk {

class TLogObj : public TInterfacedObject<ILog> {
public:
    explicit TLogObj(std::shared_ptr<ISysInfo> sysInfo) : sysInfo_(std::move(sysInfo)) {}

    void LogOperation(const std::string&, const std::string&, const std::string&) override {}
    void LogReserved(const std::string&, const std::string&, const std::string&) override;
    // Appends "[HH:MM:SS]  text" + CR LF to ErrorPath/YYYY-MM-DD.txt; EInOutError on failure.
    void WriteLog(const std::string& text) override;
    void WriteLogFmt(std::string_view format, std::initializer_list<std::string_view> args) override;

private:
    std::shared_ptr<ISysInfo> sysInfo_;
};

} // namespace kiosk
