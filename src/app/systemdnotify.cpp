#include "app/systemdnotify.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <systemd/sd-daemon.h>

namespace kiosk {

TSystemdNotify::TSystemdNotify(QObject* parent) : QObject(parent)
{
    const char* socket = std::getenv("NOTIFY_SOCKET");
    enabled_ = socket && *socket;
    ping_.setObjectName("watchdogPing");
    connect(&ping_, &QTimer::timeout, this, &TSystemdNotify::Ping);
}

void TSystemdNotify::StartWatchdog()
{
    if (!enabled_) return;
    std::uint64_t usec = 0;
    if (sd_watchdog_enabled(0, &usec) <= 0 || usec == 0) return;
    // Half the interval, as systemd advises: one late ping is not yet a hung kiosk.
    ping_.setInterval(static_cast<int>(std::max<std::uint64_t>(usec / 2000, 1)));
    ping_.start();
    Ping();
}

void TSystemdNotify::Ready()
{
    if (!enabled_ || ready_) return;
    ready_ = true;
    sd_notify(0, "READY=1\nSTATUS=登录界面已显示");
}

void TSystemdNotify::Status(const std::string& text)
{
    if (enabled_) sd_notify(0, ("STATUS=" + text).c_str());
}

void TSystemdNotify::Ping() { sd_notify(0, "WATCHDOG=1"); }

} // namespace kiosk
