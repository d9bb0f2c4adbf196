#include "engine/RecordedTimeConverter.h"

#include "engine/SensorDecoder.h"

#include <cstring>

namespace kestrel {
namespace {

bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

// The fields are nearly always plain digits; anything else is read as TextToDouble reads it.
int TwoDigits(const uint8_t* field) {
    if (IsDigit(field[0]) && IsDigit(field[1])) return (field[0] - '0') * 10 + (field[1] - '0');
    return static_cast<int>(TextToDouble(field, 2));
}

std::time_t OffsetSeconds(const uint8_t* offsetField) {
    if (offsetField[0] == '*') return 0;
    if (IsDigit(offsetField[0]) && IsDigit(offsetField[1]) && IsDigit(offsetField[2])) {
        return (offsetField[0] - '0') * 100 + (offsetField[1] - '0') * 10 + (offsetField[2] - '0');
    }
    return static_cast<std::time_t>(TextToDouble(offsetField, 3));
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Year, month, day, hour, minute, second as the recorder wrote them.
struct Fields {
    int Value[6];

    explicit Fields(const uint8_t* digits) {
        for (int i = 0; i < 6; ++i) Value[i] = TwoDigits(digits + 2 * i);
        Value[0] += 2000;
    }
    bool InRange() const {
        return Value[1] >= 1 && Value[1] <= 12 && Value[2] >= 1 &&
               Value[2] <= DaysInMonth(Value[0], Value[1]) && Value[3] >= 0 && Value[3] <= 23 &&
               Value[4] >= 0 && Value[4] <= 59 && Value[5] >= 0 && Value[5] <= 59;
    }
};

bool Shows(const std::tm& local, int year, int month, int day, int hour, int minute, int second) {
    return local.tm_year + 1900 == year && local.tm_mon + 1 == month && local.tm_mday == day &&
           local.tm_hour == hour && local.tm_min == minute && local.tm_sec == second;
}

} // namespace

DateTime RecordedLocalTime(const uint8_t* dateDigits, const uint8_t* offsetField) {
    std::tm recorded{};
    recorded.tm_year = 2000 + TwoDigits(dateDigits) - 1900;
    recorded.tm_mon = TwoDigits(dateDigits + 2) - 1;
    recorded.tm_mday = TwoDigits(dateDigits + 4);
    recorded.tm_hour = TwoDigits(dateDigits + 6);
    recorded.tm_min = TwoDigits(dateDigits + 8);
    recorded.tm_sec = TwoDigits(dateDigits + 10);
    recorded.tm_isdst = -1;
    // The recorder writes its wall-clock time; the offset moves it on by whole seconds.
    std::time_t seconds = std::mktime(&recorded);
    if (seconds == static_cast<std::time_t>(-1)) {
        seconds = 0;
    } else if (offsetField[0] != '*') {
        seconds += static_cast<std::time_t>(TextToDouble(offsetField, 3));
    }
    std::tm utc{};
    if (!gmtime_r(&seconds, &utc)) return {};
    const std::time_t back = timegm(&utc);
    std::tm local{};
    if (back == static_cast<std::time_t>(-1) || !localtime_r(&back, &local)) return {};
    if (local.tm_year + 1900 < 0 || local.tm_year + 1900 > 0xFFFF) return {};
    DateTime time;
    time.Year = static_cast<uint16_t>(local.tm_year + 1900);
    time.Month = static_cast<uint16_t>(local.tm_mon + 1);
    time.DayOfWeek = static_cast<uint16_t>(local.tm_wday);
    time.Day = static_cast<uint16_t>(local.tm_mday);
    time.Hour = static_cast<uint16_t>(local.tm_hour);
    time.Minute = static_cast<uint16_t>(local.tm_min);
    time.Second = static_cast<uint16_t>(local.tm_sec);
    return time;
}

const DateTime& RecordedTimeConverter::Convert(const uint8_t* dateDigits,
                                               const uint8_t* offsetField) {
    if (haveLast_ && std::memcmp(dateDigits, lastDigits_, 12) == 0 &&
        std::memcmp(offsetField, lastOffset_, 3) == 0) {
        return last_;
    }
    std::memcpy(lastDigits_, dateDigits, 12);
    std::memcpy(lastOffset_, offsetField, 3);
    haveLast_ = true;
    const Fields fields(dateDigits);
    if (!fields.InRange() || !ConvertInHour(fields.Value, offsetField, last_)) {
        last_ = RecordedLocalTime(dateDigits, offsetField);
    }
    return last_;
}

bool RecordedTimeConverter::ConvertInHour(const int fields[6], const uint8_t* offsetField,
                                          DateTime& out) {
    if (fields[0] != hour_.Year || fields[1] != hour_.Month || fields[2] != hour_.Day ||
        fields[3] != hour_.HourOfDay) {
        LearnHour(fields[0], fields[1], fields[2], fields[3]);
    }
    if (!hour_.Uniform) return false;
    // Inside an hour of one UTC offset the local time moves with the seconds; anything that
    // leaves the hour takes the full conversion.
    const std::time_t second = fields[4] * 60 + fields[5] + OffsetSeconds(offsetField);
    if (second < 0 || second > 3599) return false;
    out = DateTime{};
    out.Year = static_cast<uint16_t>(fields[0]);
    out.Month = static_cast<uint16_t>(fields[1]);
    out.DayOfWeek = hour_.DayOfWeek;
    out.Day = static_cast<uint16_t>(fields[2]);
    out.Hour = static_cast<uint16_t>(fields[3]);
    out.Minute = static_cast<uint16_t>(second / 60);
    out.Second = static_cast<uint16_t>(second % 60);
    return true;
}

void RecordedTimeConverter::LearnHour(int year, int month, int day, int hour) {
    hour_ = Hour{};
    hour_.Year = year;
    hour_.Month = month;
    hour_.Day = day;
    hour_.HourOfDay = hour;
    std::tm wall{};
    wall.tm_year = year - 1900;
    wall.tm_mon = month - 1;
    wall.tm_mday = day;
    wall.tm_hour = hour;
    wall.tm_isdst = -1;
    const std::time_t start = std::mktime(&wall);
    if (start == static_cast<std::time_t>(-1)) return;
    const std::time_t end = start + 3599;
    std::tm first{};
    std::tm last{};
    if (!localtime_r(&start, &first) || !localtime_r(&end, &last)) return;
    // The hour exists as written from its first to its last second, under one offset.
    hour_.Uniform = Shows(first, year, month, day, hour, 0, 0) &&
                    Shows(last, year, month, day, hour, 59, 59) &&
                    first.tm_gmtoff == last.tm_gmtoff;
    hour_.DayOfWeek = static_cast<uint16_t>(first.tm_wday);
}

} // namespace kestrel
