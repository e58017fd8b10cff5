#pragma once
// Days as "yyyy-mm-dd" texts and the demo clock: the server's "today" is the demo day, its time
// of day the real one.
#include <optional>
#include <string>
#include <string_view>

namespace stationd {

// "yyyy-mm-dd", also with "." or "/" between the parts and with a time after a blank or "T";
// answers the day in the form "yyyy-mm-dd", or nothing for a text that is no calendar day.
std::optional<std::string> ParseDay(std::string_view text);

std::string AddDays(const std::string& day, int days);

// The real local date and time of day.
std::string RealToday();
std::string RealTimeOfDay(); // "hh:nn:ss"

class DemoClock {
public:
    explicit DemoClock(std::string today) : today_(std::move(today)) {}
    const std::string& Today() const { return today_; }
    std::string Now() const { return today_ + " " + RealTimeOfDay(); } // "yyyy-mm-dd hh:nn:ss"

private:
    std::string today_;
};

} // namespace stationd
