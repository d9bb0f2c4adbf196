#pragma once
// Wall-clock date and time as the recorder writes it: no time zone, whole seconds.
#include <cstdint>
#include <optional>
#include <string>

namespace kestrel::mkrec {

struct CivilTime {
    int Year = 2024;
    int Month = 5;
    int Day = 1;
    int Hour = 8;
    int Minute = 30;
    int Second = 0;

    friend bool operator==(const CivilTime&, const CivilTime&) = default;
};

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int year, int month, int day);

// Seconds since 1970-01-01 00:00:00 of the wall-clock time, as if it were UTC.
int64_t ToEpochSeconds(const CivilTime& t);
CivilTime FromEpochSeconds(int64_t seconds);
CivilTime AddSeconds(const CivilTime& t, int64_t seconds);

// "YYYY-MM-DD hh:mm:ss"; nothing when the text is not such a valid date and time.
std::optional<CivilTime> ParseCivilTime(const std::string& text);

// The twelve digits of a record: yymmddhhmmss (year 2000 + yy).
std::string RecordDigits(const CivilTime& t);
// The recorder's file-name stem: yymmdd_hhmmss.
std::string FileStem(const CivilTime& t);

} // namespace kestrel::mkrec
