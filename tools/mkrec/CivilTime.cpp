#include "mkrec/CivilTime.h"

#include <cstdio>

namespace kestrel::mkrec {

namespace {

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

} // namespace

int64_t DaysFromCivil(int year, int month, int day) {
    const int64_t y = static_cast<int64_t>(year) - (month <= 2 ? 1 : 0);
    const int64_t era = FloorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t mp = (month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int64_t ToEpochSeconds(const CivilTime& t) {
    return DaysFromCivil(t.Year, t.Month, t.Day) * 86400 + t.Hour * 3600 + t.Minute * 60 +
           t.Second;
}

CivilTime FromEpochSeconds(int64_t seconds) {
    const int64_t days = FloorDiv(seconds, 86400);
    const int64_t rest = seconds - days * 86400;
    const int64_t z = days + 719468;
    const int64_t era = FloorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    CivilTime t;
    t.Year = static_cast<int>(year);
    t.Month = static_cast<int>(month);
    t.Day = static_cast<int>(day);
    t.Hour = static_cast<int>(rest / 3600);
    t.Minute = static_cast<int>(rest / 60 % 60);
    t.Second = static_cast<int>(rest % 60);
    return t;
}

CivilTime AddSeconds(const CivilTime& t, int64_t seconds) {
    return FromEpochSeconds(ToEpochSeconds(t) + seconds);
}

std::optional<CivilTime> ParseCivilTime(const std::string& text) {
    CivilTime t;
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &t.Year, &t.Month, &t.Day, &t.Hour,
                    &t.Minute, &t.Second, &consumed) != 6 ||
        static_cast<size_t>(consumed) != text.size()) {
        return std::nullopt;
    }
    // The record keeps a two-digit year counted from 2000.
    if (t.Year < 2000 || t.Year > 2099 || t.Month < 1 || t.Month > 12 || t.Day < 1 ||
        t.Day > DaysInMonth(t.Year, t.Month) || t.Hour < 0 || t.Hour > 23 || t.Minute < 0 ||
        t.Minute > 59 || t.Second < 0 || t.Second > 59) {
        return std::nullopt;
    }
    return t;
}

std::string RecordDigits(const CivilTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d", t.Year % 100, t.Month, t.Day,
                  t.Hour, t.Minute, t.Second);
    return text;
}

std::string FileStem(const CivilTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d%02d%02d_%02d%02d%02d", t.Year % 100, t.Month, t.Day,
                  t.Hour, t.Minute, t.Second);
    return text;
}

} // namespace kestrel::mkrec
