#include "core/sharedops.h"

#include <arpa/inet.h>
#include <cmath>
#include <ctime>
#include <ifaddrs.h>
#include <limits>
#include <net/if.h>
#include <netdb.h>
#include <unistd.h>
#include <utility>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

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

std::string AddressText(const sockaddr* address)
{
    char text[INET_ADDRSTRLEN] = {};
    if (!address || address->sa_family != AF_INET) return {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(address);
    return inet_ntop(AF_INET, &in->sin_addr, text, sizeof text) ? std::string(text) : std::string();
}

// The interface of the default route with the lowest metric, from the kernel's routing table.
std::string DefaultRouteInterface()
{
    std::ifstream routes("/proc/net/route");
    std::string line;
    std::getline(routes, line);  // the column titles
    std::string best;
    long bestMetric = -1;
    while (std::getline(routes, line)) {
        std::istringstream fields(line);
        std::string iface, destination, gateway, flags, refCnt, use, metric, mask;
        if (!(fields >> iface >> destination >> gateway >> flags >> refCnt >> use >> metric >> mask)) continue;
        if (destination != "00000000" || mask != "00000000") continue;
        const long m = std::strtol(metric.c_str(), nullptr, 10);
        if (bestMetric < 0 || m < bestMetric) {
            best = iface;
            bestMetric = m;
        }
    }
    return best;
}

void AddInterfaceAddresses(HostAddresses& addresses)
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return;
    const std::string routeInterface = DefaultRouteInterface();
    for (const ifaddrs* i = list; i; i = i->ifa_next) {
        if (!(i->ifa_flags & IFF_UP)) continue;
        const std::string text = AddressText(i->ifa_addr);
        if (text.empty()) continue;
        addresses.ofInterfaces.push_back(text);
        if (addresses.ofDefaultRoute.empty() && i->ifa_name && routeInterface == i->ifa_name)
            addresses.ofDefaultRoute = text;
    }
    freeifaddrs(list);
}

LocalHost RealHostLookup()
{
    LocalHost host;
    char name[128] = {};
    if (gethostname(name, sizeof name - 1) != 0) return host;
    host.name = name;
    HostAddresses addresses;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* found = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &found) == 0 && found) {
        if (found->ai_canonname) host.name = found->ai_canonname;
        for (const addrinfo* a = found; a; a = a->ai_next)
            if (std::string text = AddressText(a->ai_addr); !text.empty()) addresses.ofName.push_back(text);
        freeaddrinfo(found);
    }
    if (addresses.ofName.empty() || IsLoopbackAddress(addresses.ofName.front())) AddInterfaceAddresses(addresses);
    host.address = ChooseHostAddress(addresses);
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
    // 2^63 is exact as a double; every double below it converts.
    constexpr double kEnd = 9223372036854775808.0;
    if (std::isnan(value)) return 0;
    const double rounded = value > 0 ? std::trunc(value + 0.5) : std::trunc(value - 0.5);
    if (rounded >= kEnd) return std::numeric_limits<std::int64_t>::max();
    if (rounded < -kEnd) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(rounded);
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

bool IsLoopbackAddress(std::string_view address) { return address.starts_with("127."); }

std::string ChooseHostAddress(const HostAddresses& addresses)
{
    for (const std::string& a : addresses.ofName)
        if (!IsLoopbackAddress(a)) return a;
    if (!addresses.ofDefaultRoute.empty() && !IsLoopbackAddress(addresses.ofDefaultRoute))
        return addresses.ofDefaultRoute;
    for (const std::string& a : addresses.ofInterfaces)
        if (!IsLoopbackAddress(a)) return a;
    if (!addresses.ofName.empty()) return addresses.ofName.front();
    return addresses.ofInterfaces.empty() ? std::string() : addresses.ofInterfaces.front();
}

void SetHostLookup(HostLookup lookup) { CustomHostLookup() = std::move(lookup); }

} // namespace kiosk
