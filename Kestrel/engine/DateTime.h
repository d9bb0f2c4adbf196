#pragma once
#include <cstdint>

namespace kestrel {

// A calendar date and time as the recorder's data and the catalogue hold it:
// eight 16-bit fields; all zero means "no time".
struct DateTime {
    uint16_t Year = 0;
    uint16_t Month = 0;
    uint16_t DayOfWeek = 0; // 0 Sunday .. 6 Saturday
    uint16_t Day = 0;
    uint16_t Hour = 0;
    uint16_t Minute = 0;
    uint16_t Second = 0;
    uint16_t Millisecond = 0;

    bool IsZero() const { return Year == 0 && Month == 0 && Day == 0 && Hour == 0 && Minute == 0 && Second == 0 && Millisecond == 0; }
    friend bool operator==(const DateTime&, const DateTime&) = default;
};

} // namespace kestrel
