#pragma once
// The recorder's date and time fields as local calendar time. The recorder writes its
// wall-clock time (twelve digits YYMMDDhhmmss) and an offset in seconds (three digits, or
// '*' for none); the viewer shows the wall-clock time plus the offset.
#include "engine/DateTime.h"

#include <cstdint>
#include <ctime>

namespace kestrel {

// The conversion as the recorder's data defines it: the fields as a calendar time in the
// local time zone, to seconds since 1970 (0 when that fails), plus the offset unless '*',
// to UTC calendar time and back to local calendar time (zero when that fails).
DateTime RecordedLocalTime(const uint8_t* dateDigits, const uint8_t* offsetField);

// The same conversion for a run of records, which repeat their fields for ten records and
// stay in one hour for thousands: it remembers the last fields and, per local hour, where
// the hour starts, so that most records need no time-zone lookup at all.
class RecordedTimeConverter {
public:
    const DateTime& Convert(const uint8_t* dateDigits, const uint8_t* offsetField);

private:
    // One local hour known to have a single UTC offset from its first to its last second.
    struct Hour {
        int Year = -1, Month = 0, Day = 0, HourOfDay = 0;
        bool Uniform = false;
        uint16_t DayOfWeek = 0;
    };

    bool ConvertInHour(const int fields[6], const uint8_t* offsetField, DateTime& out);
    void LearnHour(int year, int month, int day, int hour);

    bool haveLast_ = false;
    uint8_t lastDigits_[12] = {};
    uint8_t lastOffset_[3] = {};
    DateTime last_;
    Hour hour_;
};

} // namespace kestrel
