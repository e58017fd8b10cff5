#include "core/configreport.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/statvfs.h>

#include "core/sysservice.h"
#include "platform/inifile.h"
#include "platform/textutil.h"

namespace kiosk {

namespace fs = std::filesystem;

namespace {

// Less than this free on the error folder's disk is as good as full for a day of log lines.
constexpr unsigned long long kLowDiskBytes = 1024 * 1024;

std::string ReadAll(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool IsBlank(std::string_view text)
{
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
    return true;
}

// A line an INI reader makes sense of: blank, a comment, a [section] or a key=value.
bool IsIniLine(std::string_view line)
{
    const std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') return true;
    if (t[0] == '[') return t.size() >= 2 && t.back() == ']';
    const std::size_t eq = t.find('=');
    return eq != std::string::npos && eq > 0;
}

// The first line that is not INI, numbered from 1; 0 when every line is.
std::size_t FirstBadLine(std::string_view text, std::string& line)
{
    std::size_t number = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        ++number;
        const std::string_view current = text.substr(pos, end - pos);
        if (!IsIniLine(current)) {
            line = Trim(current);
            return number;
        }
        pos = end + 1;
    }
    return 0;
}

std::string PortProblem(const std::string& appIni)
{
    const TIniFile ini(appIni);
    if (!ini.ValueExists("server", "port")) return {};
    const std::string text = Trim(ini.ReadString("server", "port"));
    std::int64_t port = 0;
    if (TryStrToInt64(text, port) && port >= 1 && port <= 65535) return {};
    return "App.ini中[server] port不是端口号：“" + text + "”，按缺省端口80连接";
}

std::vector<std::string> LogFolderProblems(const std::string& appFolder)
{
    std::vector<std::string> problems;
    const std::string folder = appFolder + "error";
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        fs::create_directories(folder, ec);
        if (ec) {
            problems.push_back("日志目录无法建立：" + folder + "：" + ec.message() + "，日志只写到标准错误输出");
            return problems;
        }
    }
    const std::string probe = folder + "/.kiosk-write-test";
    if (FILE* f = std::fopen(probe.c_str(), "wb")) {
        std::fclose(f);
        fs::remove(probe, ec);
    } else {
        problems.push_back("日志目录无法写入：" + folder + "：" + std::strerror(errno) + "，日志只写到标准错误输出");
        return problems;
    }
    struct statvfs disk {};
    if (statvfs(folder.c_str(), &disk) == 0) {
        const unsigned long long available = static_cast<unsigned long long>(disk.f_bavail) * disk.f_frsize;
        if (available < kLowDiskBytes)
            problems.push_back("磁盘空间不足：" + folder + "所在磁盘只剩" + std::to_string(available / 1024) +
                               " KB，日志可能无法写入");
    }
    return problems;
}

} // namespace

std::vector<std::string> IniFileProblems(const std::string& fileName, const std::string& shownName,
                                         const std::vector<std::string>& sections, const std::string& fallback)
{
    std::error_code ec;
    if (!fs::exists(fileName, ec)) return {"找不到配置文件" + shownName + "：" + fileName + "，" + fallback};
    std::string text = ReadAll(fileName);
    while (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    if (IsBlank(text)) return {"配置文件" + shownName + "是空的：" + fileName + "，" + fallback};
    if (text.find('\0') != std::string::npos || !IsValidUtf8(text))
        return {"配置文件" + shownName + "不是文本文件（含二进制内容或不是UTF-8）：" + fileName + "，" + fallback};
    std::vector<std::string> problems;
    std::string line;
    if (const std::size_t bad = FirstBadLine(text, line))
        problems.push_back("配置文件" + shownName + "第" + std::to_string(bad) + "行无法识别（文件可能不完整）：“" +
                           line + "”");
    const TIniFile ini(fileName);
    for (const std::string& section : sections)
        if (!ini.SectionExists(section))
            problems.push_back("配置文件" + shownName + "缺少[" + section + "]节（文件可能不完整），" + fallback);
    return problems;
}

std::vector<std::string> ConfigurationProblems(const std::string& appFolder)
{
    std::vector<std::string> problems =
        IniFileProblems(appFolder + "App.ini", "App.ini", {"server", "userinfo"}, "按缺省设置运行");
    if (const std::string port = PortProblem(appFolder + "App.ini"); !port.empty()) problems.push_back(port);
    for (std::string& p : IniFileProblems(appFolder + "PrintConfig.ini", "PrintConfig.ini", {},
                                          "打印时按缺省的模板名称建立"))
        problems.push_back(std::move(p));
    for (std::string& p : LogFolderProblems(appFolder)) problems.push_back(std::move(p));
    return problems;
}

void ReportConfiguration(const std::string& appFolder)
{
    for (const std::string& problem : ConfigurationProblems(appFolder)) {
        std::fprintf(stderr, "kiosk: %s\n", problem.c_str());
        std::fflush(stderr);
    }
    // The first line of the run; a log file that cannot take it is said here, whatever the mode.
    try {
        if (auto log = QueryService<ILog>()) log->WriteLog("自助检票打单系统启动");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kiosk: %s，日志只写到标准错误输出\n", e.what());
    }
}

} // namespace kiosk
