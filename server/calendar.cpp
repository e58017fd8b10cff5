#include "calendar.h"

#include <cstdio>
#include <ctime>

namespace stationd {

namespace {

long DaysFromCivil(int y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097L + static_cast<long>(doe) - 719468;
}

void CivilFromDays(long z, int& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

bool ReadNumber(std::string_view text, std::size_t& at, std::size_t minDigits, std::size_t maxDigits, unsigned& value)
{
    value = 0;
    std::size_t digits = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < maxDigits) {
        value = value * 10 + static_cast<unsigned>(text[at] - '0');
        ++at;
        ++digits;
    }
    return digits >= minDigits;
}

std::string Format(int y, unsigned m, unsigned d)
{
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u", y, m % 100, d % 100);
    return buffer;
}

std::tm LocalNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

} // namespace

std::optional<std::string> ParseDay(std::string_view text)
{
    std::size_t at = 0;
    unsigned y = 0, m = 0, d = 0;
    if (!ReadNumber(text, at, 4, 4, y) || at >= text.size())
        return std::nullopt;
    const char separator = text[at];
    if (separator != '-' && separator != '.' && separator != '/')
        return std::nullopt;
    ++at;
    if (!ReadNumber(text, at, 1, 2, m) || at >= text.size() || text[at] != separator)
        return std::nullopt;
    ++at;
    if (!ReadNumber(text, at, 1, 2, d))
        return std::nullopt;
    if (at < text.size() && text[at] != ' ' && text[at] != 'T')
        return std::nullopt;
    if (y < 1900 || m < 1 || m > 12 || d < 1)
        return std::nullopt;
    int cy;
    unsigned cm, cd;
    CivilFromDays(DaysFromCivil(static_cast<int>(y), m, d), cy, cm, cd);
    if (cm != m || cd != d)
        return std::nullopt;
    return Format(static_cast<int>(y), m, d);
}

std::string AddDays(const std::string& day, int days)
{
    const auto parsed = ParseDay(day);
    if (!parsed)
        return day;
    const int y = std::stoi(parsed->substr(0, 4));
    const unsigned m = static_cast<unsigned>(std::stoi(parsed->substr(5, 2)));
    const unsigned d = static_cast<unsigned>(std::stoi(parsed->substr(8, 2)));
    int ry;
    unsigned rm, rd;
    CivilFromDays(DaysFromCivil(y, m, d) + days, ry, rm, rd);
    return Format(ry, rm, rd);
}

std::string RealToday()
{
    const std::tm now = LocalNow();
    return Format(now.tm_year + 1900, static_cast<unsigned>(now.tm_mon + 1), static_cast<unsigned>(now.tm_mday));
}

std::string RealTimeOfDay()
{
    const std::tm now = LocalNow();
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", now.tm_hour, now.tm_min, now.tm_sec);
    return buffer;
}

} // namespace stationd
