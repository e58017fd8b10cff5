#include "core/sysinfo.h"

#include <filesystem>
#include <system_error>

#include "platform/exception.h"

namespace kiosk {

std::string WithTrailingSeparator(std::string folder)
{
    const char sep = static_cast<char>(std::filesystem::path::preferred_separator);
    if (folder.empty() || folder.back() != sep) folder += sep;
    return folder;
}

std::string ExecutableFolder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return WithTrailingSeparator(std::filesystem::current_path().string());
    return WithTrailingSeparator(exe.parent_path().string());
}

TSysInfoObj::TSysInfoObj(std::string appFolder) : FAppPath(WithTrailingSeparator(std::move(appFolder))) {}

std::string TSysInfoObj::ErrorPath() const
{
    const std::string path = FAppPath + "error";
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec)) {
        std::filesystem::create_directories(path, ec);
        if (ec) throw EInOutError("无法创建目录" + path + "：" + ec.message());
    }
    return path;
}

} // namespace kiosk
