#pragma once
// Small operations shared by the screens.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/datetime.h"

namespace kiosk {

// "日" "一" … "六" for 1 (Sunday) to 7 (Saturday); any other number gives "日".
std::string WeekDayName(int dayOfWeek);
// The text with "0" in front until it has at least `length` characters.
std::string PadZeroLeft(std::string_view text, int length);
// Rounds half away from zero. A value beyond the 64-bit range gives the nearest end of the
// range and NaN gives 0, so no server number can make the conversion undefined; callers that
// need a smaller range check it before.
std::int64_t RoundHalfAway(double value);
// A date (and optional time) written with "." or "-" between year, month and day.
std::optional<DateTime> ParseDateTimeDotOrDash(std::string_view text);
// The status clock text: "YYYY.MM.DD 星期X HH:MM:SS".
std::string ClockText(const DateTime& now);

// Sets the machine's clock to a local date-time. The setter is replaceable so tests never
// touch the real clock; the real one uses clock_settime. Answers whether the clock was set;
// a refusal leaves its reason in errno.
using ClockSetter = std::function<bool(const DateTime& local)>;
bool SetSystemClock(const DateTime& local);
// Empty restores the real one; answers the setter it replaces (empty for the real one).
ClockSetter SetClockSetter(ClockSetter setter);

// The kiosk's own host name and IPv4 address as the station's network sees it; replaceable in
// tests. The address is the first one of the machine's name that is not a loopback address;
// where the name gives only loopback addresses (Debian names itself 127.0.1.1), the address of
// the interface that carries the default route, or else the first interface address that is not
// loopback. A loopback address only where the machine has nothing else; empty when it has none.
struct LocalHost {
    std::string name;
    std::string address;
};

// What the choice of the kiosk's address is made from, IPv4 in dotted decimal.
struct HostAddresses {
    std::vector<std::string> ofName;        // the addresses the machine's name resolves to, in order
    std::string ofDefaultRoute;             // the address of the interface carrying the default route
    std::vector<std::string> ofInterfaces;  // the addresses of the interfaces that are up, in order
};
bool IsLoopbackAddress(std::string_view address);
std::string ChooseHostAddress(const HostAddresses& addresses);
using HostLookup = std::function<LocalHost()>;
LocalHost FindLocalHost();
void SetHostLookup(HostLookup lookup);  // empty restores the real one

} // namespace kiosk
