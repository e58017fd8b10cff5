#pragma once
// Local (naive) date and time with the system's text forms. A DateTime counts milliseconds
// from 1899-12-30 00:00, the epoch of the serial date numbers the server and the print
// templates speak of, so ToSerial()/FromSerial() convert exactly.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kiosk {

class DateTime {
public:
    DateTime() = default;
    static DateTime FromParts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                              int msec = 0);
    static DateTime FromSerial(double serial);
    static DateTime FromMsecs(std::int64_t msecs) { DateTime d; d.msecs_ = msecs; return d; }
    // Whether the parts name a real calendar date and time of day.
    static bool IsValidDate(int year, int month, int day);

    // The local clock, replaceable in tests (SetNowSource({}) restores the real clock).
    static DateTime Now();
    static DateTime Today();
    static void SetNowSource(std::function<DateTime()> source);

    int Year() const;
    int Month() const;
    int Day() const;
    int Hour() const;
    int Minute() const;
    int Second() const;
    int Msec() const;
    // 1 = Sunday … 7 = Saturday, as the system's weekday numbering.
    int DayOfWeek() const;

    DateTime DateOnly() const;
    DateTime AddDays(int days) const { return FromMsecs(msecs_ + std::int64_t(days) * 86400000); }
    DateTime AddSeconds(std::int64_t s) const { return FromMsecs(msecs_ + s * 1000); }
    std::int64_t Msecs() const { return msecs_; }
    double ToSerial() const { return double(msecs_) / 86400000.0; }

    // Pattern tokens (letter case ignored): yyyy yy mm m dd d hh h nn n ss s zzz; "mm"/"m"
    // right after an hour token are minutes. Other characters are copied.
    std::string Format(std::string_view pattern) const;
    std::string DateText() const { return Format("yyyy-mm-dd"); }
    std::string DateTimeText() const { return Format("yyyy-mm-dd hh:nn:ss"); }

    // Parses "yyyy-mm-dd", "yyyy.mm.dd" or "yyyy/mm/dd" (one or two digit month and day),
    // optionally followed by a blank or "T" and "hh:nn[:ss[.zzz]]". Nothing else is accepted.
    static std::optional<DateTime> Parse(std::string_view text);

    friend bool operator==(const DateTime&, const DateTime&) = default;
    friend auto operator<=>(const DateTime&, const DateTime&) = default;

private:
    std::int64_t msecs_ = 0;
};

} // namespace kiosk
