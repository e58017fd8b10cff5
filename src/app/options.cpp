#include "app/options.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "core/sysinfo.h"

namespace kiosk {

KioskOptions ParseKioskOptions(int argc, char** argv)
{
    KioskOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                o.error = "选项" + std::string(a) + "缺少参数";
                return;
            }
            out = argv[++i];
        };
        if (a == "--home") value(o.home);
        else if (a == "--screenshot") value(o.screenshot);
        else if (a == "--quit") o.quitAfterScreenshot = true;
        else if (a == "--unattended") o.unattended = true;
        else if (a == "--help" || a == "-h") o.help = true;
        else if (a == "--version") o.version = true;
        else if (a == "--check") o.check = true;
    }
    if (o.home.empty())
        if (const char* env = std::getenv("KIOSK_HOME"); env && *env) o.home = env;
    if (o.home.empty()) {
        o.home = ExecutableFolder();
    } else {
        std::error_code ec;
        const auto absolute = std::filesystem::absolute(o.home, ec);
        if (!ec) o.home = absolute.lexically_normal().string();
        if (!std::filesystem::is_directory(o.home, ec)) o.error = "应用目录不存在：" + o.home;
        o.home = WithTrailingSeparator(o.home);
    }
    return o;
}

const char* KioskUsage()
{
    return "自助检票打单系统 — the self-service ticket check and settlement kiosk\n"
           "usage: kiosk [--home DIR] [--unattended] [--screenshot FILE [--quit]] [Qt options]\n"
           "       kiosk [--home DIR] --check\n"
           "  --home DIR         application folder holding App.ini, PrintConfig.ini, error/ and prints/\n"
           "                     (default $KIOSK_HOME, else the executable's folder)\n"
           "  --unattended       no box waits for a touch: start-up retries by itself, devices are\n"
           "                     reopened when they come back (as App.ini [kiosk] unattended=1)\n"
           "  --screenshot FILE  save the main window as PNG once it is shown; --quit then ends the kiosk\n"
           "  --check            the self-test of a kiosk PC, one line each (configuration, connection\n"
           "                     and staff login, printers, scanner port, ID card reader, folder);\n"
           "                     no window; exit status 0 only when every check passed\n"
           "  --help, --version  this text, the version\n";
}

} // namespace kiosk
