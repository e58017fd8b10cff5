#include "core/logobj.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/datetime.h"
#include "platform/exception.h"
#include "platform/textutil.h"

namespace kiosk {

namespace {

// One entry is one line: line breaks inside a text (a server's error page, say) become blanks,
// so every line of the file begins with its time.
std::string OneLine(std::string text)
{
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

bool g_reportFileFailuresOnly = false;

// The reason last said on standard error, so a full disk is not repeated on every line.
std::string& LastFileFailure()
{
    static std::string reason;
    return reason;
}

void ToStandardError(const std::string& line) noexcept
{
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

} // namespace

void TLogObj::SetReportFileFailuresOnly(bool value) { g_reportFileFailuresOnly = value; }

void TLogObj::LogReserved(const std::string&, const std::string&, const std::string&)
{
    throw Exception("未实现。。。");
}

void TLogObj::WriteLog(const std::string& text)
{
    const DateTime now = DateTime::Now();
    const std::string line = now.Format("[hh:nn:ss]") + "  " + OneLine(text);
    ToStandardError(line + "\n");
    try {
        const std::string fileName = sysInfo_->ErrorPath() +
                                     static_cast<char>(std::filesystem::path::preferred_separator) +
                                     now.Format("yyyy-mm-dd") + ".txt";
        AppendToFile(fileName, line + "\r\n");
        LastFileFailure().clear();
    } catch (const EInOutError& e) {
        if (!g_reportFileFailuresOnly) throw;
        if (LastFileFailure() == e.what()) return;
        LastFileFailure() = e.what();
        ToStandardError(std::string("kiosk: ") + e.what() + "，日志只写到标准错误输出\n");
    }
}

void TLogObj::AppendToFile(const std::string& fileName, const std::string& line)
{
    FILE* f = std::fopen(fileName.c_str(), "ab");
    if (!f) throw EInOutError("无法打开日志文件" + fileName + "：" + std::strerror(errno));
    const bool written = std::fwrite(line.data(), 1, line.size(), f) == line.size();
    const int err = errno;
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) throw EInOutError("无法写入日志文件" + fileName + "：" + std::strerror(written ? errno : err));
}

void TLogObj::WriteLogFmt(std::string_view format, std::initializer_list<std::string_view> args)
{
    WriteLog(Format(format, args));
}

} // namespace kiosk
