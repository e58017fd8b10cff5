#include "platform/datetime.h"

#include <cctype>
#include <cmath>
#include <ctime>
#include <mutex>

namespace kiosk {

namespace {

constexpr std::int64_t kMsecsPerDay = 86400000;
// Days from 1970-01-01 back to 1899-12-30.
constexpr std::int64_t kUnixEpochDays = 25569;

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t yy = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

std::mutex g_nowMutex;
std::function<DateTime()> g_nowSource;

DateTime SystemNow()
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm local{};
    const time_t secs = ts.tv_sec;
    localtime_r(&secs, &local);
    return DateTime::FromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                               local.tm_min, local.tm_sec, static_cast<int>(ts.tv_nsec / 1000000));
}

bool ReadDigits(std::string_view s, std::size_t& i, int minDigits, int maxDigits, int& value)
{
    int n = 0;
    value = 0;
    while (i < s.size() && n < maxDigits && std::isdigit(static_cast<unsigned char>(s[i]))) {
        value = value * 10 + (s[i] - '0');
        ++i;
        ++n;
    }
    return n >= minDigits;
}

} // namespace

bool DateTime::IsValidDate(int year, int month, int day)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + ((month == 2 && leap) ? 1 : 0);
}

DateTime DateTime::FromParts(int year, int month, int day, int hour, int minute, int second, int msec)
{
    const std::int64_t days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
                              kUnixEpochDays;
    return FromMsecs(days * kMsecsPerDay + ((std::int64_t(hour) * 60 + minute) * 60 + second) * 1000 + msec);
}

DateTime DateTime::FromSerial(double serial)
{
    return FromMsecs(static_cast<std::int64_t>(std::llround(serial * double(kMsecsPerDay))));
}

DateTime DateTime::Now()
{
    std::function<DateTime()> source;
    {
        std::lock_guard lock(g_nowMutex);
        source = g_nowSource;
    }
    return source ? source() : SystemNow();
}

DateTime DateTime::Today() { return Now().DateOnly(); }

void DateTime::SetNowSource(std::function<DateTime()> source)
{
    std::lock_guard lock(g_nowMutex);
    g_nowSource = std::move(source);
}

int DateTime::Year() const { int y, m, d; CivilFromDays(FloorDiv(msecs_, kMsecsPerDay) - kUnixEpochDays, y, m, d); return y; }
int DateTime::Month() const { int y, m, d; CivilFromDays(FloorDiv(msecs_, kMsecsPerDay) - kUnixEpochDays, y, m, d); return m; }
int DateTime::Day() const { int y, m, d; CivilFromDays(FloorDiv(msecs_, kMsecsPerDay) - kUnixEpochDays, y, m, d); return d; }
int DateTime::Hour() const { return static_cast<int>((msecs_ - FloorDiv(msecs_, kMsecsPerDay) * kMsecsPerDay) / 3600000); }
int DateTime::Minute() const { return static_cast<int>((msecs_ - FloorDiv(msecs_, kMsecsPerDay) * kMsecsPerDay) / 60000 % 60); }
int DateTime::Second() const { return static_cast<int>((msecs_ - FloorDiv(msecs_, kMsecsPerDay) * kMsecsPerDay) / 1000 % 60); }
int DateTime::Msec() const { return static_cast<int>((msecs_ - FloorDiv(msecs_, kMsecsPerDay) * kMsecsPerDay) % 1000); }

int DateTime::DayOfWeek() const
{
    // 1899-12-30 was a Saturday (7).
    const std::int64_t days = FloorDiv(msecs_, kMsecsPerDay);
    return static_cast<int>(((days % 7) + 7 + 6) % 7) + 1;
}

DateTime DateTime::DateOnly() const { return FromMsecs(FloorDiv(msecs_, kMsecsPerDay) * kMsecsPerDay); }

std::string DateTime::Format(std::string_view pattern) const
{
    int y, mo, d;
    CivilFromDays(FloorDiv(msecs_, kMsecsPerDay) - kUnixEpochDays, y, mo, d);
    const int h = Hour(), mi = Minute(), s = Second(), ms = Msec();
    auto two = [](int v) { std::string t = std::to_string(v); return t.size() < 2 ? "0" + t : t; };
    std::string out;
    bool afterHour = false;
    std::size_t i = 0;
    auto run = [&](char c) {
        std::size_t n = 0;
        while (i + n < pattern.size() && std::tolower(static_cast<unsigned char>(pattern[i + n])) == c) ++n;
        return n;
    };
    while (i < pattern.size()) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(pattern[i])));
        std::size_t n = (c == 'y' || c == 'm' || c == 'd' || c == 'h' || c == 'n' || c == 's' || c == 'z') ? run(c) : 0;
        if (n == 0) { out += pattern[i++]; continue; }
        switch (c) {
        case 'y': {
            std::string t = std::to_string(y);
            while (t.size() < 4) t = "0" + t;
            out += n >= 3 ? t : t.substr(t.size() - 2);
            break;
        }
        case 'm':
            if (afterHour) out += n >= 2 ? two(mi) : std::to_string(mi);
            else out += n >= 2 ? two(mo) : std::to_string(mo);
            break;
        case 'd': out += n >= 2 ? two(d) : std::to_string(d); break;
        case 'h': out += n >= 2 ? two(h) : std::to_string(h); afterHour = true; i += n; continue;
        case 'n': out += n >= 2 ? two(mi) : std::to_string(mi); break;
        case 's': out += n >= 2 ? two(s) : std::to_string(s); break;
        case 'z': { std::string t = std::to_string(ms); while (n >= 3 && t.size() < 3) t = "0" + t; out += t; break; }
        default: break;
        }
        afterHour = false;
        i += n;
    }
    return out;
}

std::optional<DateTime> DateTime::Parse(std::string_view text)
{
    std::size_t i = 0;
    int y, m, d, h = 0, mi = 0, s = 0, ms = 0;
    if (!ReadDigits(text, i, 4, 4, y)) return std::nullopt;
    if (i >= text.size() || (text[i] != '-' && text[i] != '.' && text[i] != '/')) return std::nullopt;
    const char sep = text[i++];
    if (!ReadDigits(text, i, 1, 2, m)) return std::nullopt;
    if (i >= text.size() || text[i] != sep) return std::nullopt;
    ++i;
    if (!ReadDigits(text, i, 1, 2, d)) return std::nullopt;
    if (!IsValidDate(y, m, d)) return std::nullopt;
    if (i < text.size()) {
        if (text[i] != ' ' && text[i] != 'T') return std::nullopt;
        ++i;
        if (!ReadDigits(text, i, 1, 2, h) || i >= text.size() || text[i] != ':') return std::nullopt;
        ++i;
        if (!ReadDigits(text, i, 1, 2, mi)) return std::nullopt;
        if (i < text.size() && text[i] == ':') {
            ++i;
            if (!ReadDigits(text, i, 1, 2, s)) return std::nullopt;
            if (i < text.size() && text[i] == '.') {
                ++i;
                std::size_t start = i;
                if (!ReadDigits(text, i, 1, 3, ms)) return std::nullopt;
                for (std::size_t k = i - start; k < 3; ++k) ms *= 10;
            }
        }
        if (i != text.size() || h > 23 || mi > 59 || s > 59) return std::nullopt;
    }
    return FromParts(y, m, d, h, mi, s, ms);
}

} // namespace kiosk
