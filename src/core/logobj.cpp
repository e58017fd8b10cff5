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

} // namespace

void TLogObj::LogReserved(const std::string&, const std::string&, const std::string&)
{
    throw Exception("未实现。。。");
}

void TLogObj::WriteLog(const std::string& text)
{
    const DateTime now = DateTime::Now();
    const std::string fileName = sysInfo_->ErrorPath() + static_cast<char>(std::filesystem::path::preferred_separator) +
                                 now.Format("yyyy-mm-dd") + ".txt";
    const std::string line = now.Format("[hh:nn:ss]") + "  " + OneLine(text) + "\r\n";
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
