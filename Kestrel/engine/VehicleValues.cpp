#include "engine/VehicleValues.h"

#include <cmath>

namespace kestrel {
namespace {

bool Absent(uint16_t word) { return word == kNoVehicleValue; }

} // namespace

int32_t VehicleValues::CoolantTemperature(const ObdSample& obd) {
    return Absent(obd.Words[0]) ? 0 : int32_t{obd.Words[0]} - 40;
}

int32_t VehicleValues::IntakePressure(const ObdSample& obd) {
    if (Absent(obd.Words[1])) return 90;
    const double relative = (int32_t{obd.Words[1]} - 101) / 100.0 * 100.0;
    return static_cast<int32_t>(std::trunc(relative + 90.0));
}

int32_t VehicleValues::EngineSpeed(const ObdSample& obd) {
    return Absent(obd.Words[2]) ? 0 : obd.Words[2] / 100;
}

int32_t VehicleValues::VehicleSpeed(const ObdSample& obd) {
    return Absent(obd.Words[3]) ? 0 : obd.Words[3];
}

int32_t VehicleValues::ThrottleOpening(const ObdSample& obd) {
    return Absent(obd.Words[7]) ? 0 : obd.Words[7] / 10;
}

void ExtendedVehicleValues::Update(char vehicleDataLetter, const ObdSample& obd) {
    if (vehicleDataLetter == '2' || vehicleDataLetter == 'N') {
        *this = ExtendedVehicleValues{};
    } else if (vehicleDataLetter == '3' && obd.Status[0] != ' ') {
        Word15 = obd.Words[15];
        Word16 = obd.Words[16] == 0x3FFF ? kAbsentSigned : int32_t{static_cast<int16_t>(obd.Words[16])};
        Word17 = obd.Words[17];
    }
}

} // namespace kestrel
