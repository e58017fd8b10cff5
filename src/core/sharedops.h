#pragma once
// Small operations shared by the screens.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/datetime.h"

namespace kiosk {

// "日" "一" … "六" for 1 (Sunday) to 7 (Saturday); any other number gives "日".
std::string WeekDayName(int dayOfWeek);
// The text with "0" in front until it has at least `length` characters.
std::string PadZeroLeft(std::string_view text, int length);
// Rounds half away from zero.
std::int64_t RoundHalfAway(double value);
// A date (and optional time) written with "." or "-" between year, month and day.
std::optional<DateTime> ParseDateTimeDotOrDash(std::string_view text);
// The status clock text: "YYYY.MM.DD 星期X HH:MM:SS".
std::string ClockText(const DateTime& now);

// Sets the machine's clock to a local date-time. The setter is replaceable so tests never
// touch the real clock; the real one uses clock_settime, and a refusal (no privilege) is
// ignored. Answers whether the clock was set.
using ClockSetter = std::function<bool(const DateTime& local)>;
bool SetSystemClock(const DateTime& local);
// Empty restores the real one; answers the setter it replaces (empty for the real one).
ClockSetter SetClockSetter(ClockSetter setter);

// The kiosk's own host name and IPv4 address; replaceable in tests. A name that does not
// resolve gives an empty address.
struct LocalHost {
    std::string name;
    std::string address;
};
using HostLookup = std::function<LocalHost()>;
LocalHost FindLocalHost();
void SetHostLookup(HostLookup lookup);  // empty restores the real one

} // namespace kiosk
