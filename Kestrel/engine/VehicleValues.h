#pragma once
// The vehicle values the views show, from the vehicle words of the sample linked to the
// frame. A word holding two spaces (0x2020) has no value.
#include "engine/SensorSamples.h"

#include <cstdint>

namespace kestrel {

inline constexpr uint16_t kNoVehicleValue = 0x2020;

struct VehicleValues {
    // Word 0: coolant temperature in °C (the recorder stores it plus 40); 0 when absent.
    static int32_t CoolantTemperature(const ObdSample& obd);
    // Word 1: intake manifold pressure relative to 101 kPa, plus 90; 90 when absent.
    static int32_t IntakePressure(const ObdSample& obd);
    // Word 2: engine speed in hundreds of revolutions per minute; 0 when absent.
    static int32_t EngineSpeed(const ObdSample& obd);
    // Word 3: vehicle speed in km/h; 0 when absent.
    static int32_t VehicleSpeed(const ObdSample& obd);
    // Word 7: throttle opening in percent (stored in tenths); 0 when absent.
    static int32_t ThrottleOpening(const ObdSample& obd);
};

// The three extended values (words 15 to 17), present only when the recording's header
// says so. A sample without vehicle data leaves the previous values shown, so the caller
// keeps one of these across frames.
struct ExtendedVehicleValues {
    static constexpr int32_t kAbsent = -1;
    static constexpr int32_t kAbsentSigned = 0xFFFF;

    int32_t Word15 = kAbsent;
    int32_t Word16 = kAbsentSigned; // read as signed; 0x3FFF means absent
    int32_t Word17 = kAbsent;

    // Applies one sample under the header's vehicle-data letter: '2' or 'N' clear the values,
    // '3' takes them from the sample unless its first status byte is a space, any other
    // letter leaves them as they are.
    void Update(char vehicleDataLetter, const ObdSample& obd);
};

} // namespace kestrel
