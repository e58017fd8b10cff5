#include "core/sharedops.h"

#include <arpa/inet.h>
#include <cmath>
#include <ctime>
#include <netdb.h>
#include <unistd.h>
#include <utility>

namespace kiosk {

namespace {

ClockSetter& CustomClockSetter()
{
    static ClockSetter setter;
    return setter;
}

HostLookup& CustomHostLookup()
{
    static HostLookup lookup;
    return lookup;
}

bool SetRealClock(const DateTime& local)
{
    std::tm parts{};
    parts.tm_year = local.Year() - 1900;
    parts.tm_mon = local.Month() - 1;
    parts.tm_mday = local.Day();
    parts.tm_hour = local.Hour();
    parts.tm_min = local.Minute();
    parts.tm_sec = local.Second();
    parts.tm_isdst = -1;
    const time_t utc = mktime(&parts);  // the machine's time zone turns local into universal time
    if (utc == static_cast<time_t>(-1)) return false;
    const timespec ts{utc, static_cast<long>(local.Msec()) * 1000000L};
    return clock_settime(CLOCK_REALTIME, &ts) == 0;
}

LocalHost RealHostLookup()
{
    LocalHost host;
    char name[128] = {};
    if (gethostname(name, sizeof name - 1) != 0) return host;
    host.name = name;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* found = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &found) != 0 || !found) return host;
    if (found->ai_canonname) host.name = found->ai_canonname;
    char text[INET_ADDRSTRLEN] = {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) host.address = text;
    freeaddrinfo(found);
    return host;
}

} // namespace

std::string WeekDayName(int dayOfWeek)
{
    static constexpr const char* kNames[] = {"日", "一", "二", "三", "四", "五", "六"};
    return (dayOfWeek >= 1 && dayOfWeek <= 7) ? kNames[dayOfWeek - 1] : kNames[0];
}

std::string PadZeroLeft(std::string_view text, int length)
{
    std::string out(text);
    if (static_cast<int>(out.size()) < length) out.insert(0, static_cast<std::size_t>(length) - out.size(), '0');
    return out;
}

std::int64_t RoundHalfAway(double value)
{
    return static_cast<std::int64_t>(value > 0 ? std::trunc(value + 0.5) : std::trunc(value - 0.5));
}

std::optional<DateTime> ParseDateTimeDotOrDash(std::string_view text)
{
    const char sep = text.find('.') != std::string_view::npos ? '.' : '-';
    // Only the chosen separator is accepted between year, month and day.
    const std::size_t space = text.find(' ');
    const std::string_view date = text.substr(0, space);
    for (char c : date)
        if ((c == '.' || c == '-' || c == '/') && c != sep) return std::nullopt;
    return DateTime::Parse(text);
}

std::string ClockText(const DateTime& now)
{
    return now.Format("YYYY.MM.DD") + " 星期" + WeekDayName(now.DayOfWeek()) + " " + now.Format("hh:nn:ss");
}

bool SetSystemClock(const DateTime& local)
{
    const ClockSetter& custom = CustomClockSetter();
    return custom ? custom(local) : SetRealClock(local);
}

ClockSetter SetClockSetter(ClockSetter setter) { return std::exchange(CustomClockSetter(), std::move(setter)); }

LocalHost FindLocalHost()
{
    const HostLookup& custom = CustomHostLookup();
    return custom ? custom() : RealHostLookup();
}

void SetHostLookup(HostLookup lookup) { CustomHostLookup() = std::move(lookup); }

} // namespace kiosk
