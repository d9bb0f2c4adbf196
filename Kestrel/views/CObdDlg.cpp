#include "views/CObdDlg.h"

namespace kestrel {

CObdDlg::CObdDlg(QWidget* parent) : CSkinDialog(parent) {}

void CObdDlg::SetValues(const ObdSample* obd, char vehicleDataLetter, int gpsValid) {
    GpsValid = gpsValid;
    if (!obd)
        return;
    CoolantTemperature = VehicleValues::CoolantTemperature(*obd);
    IntakePressure = VehicleValues::IntakePressure(*obd);
    EngineSpeed = VehicleValues::EngineSpeed(*obd);
    VehicleSpeed = VehicleValues::VehicleSpeed(*obd);
    ThrottleOpening = VehicleValues::ThrottleOpening(*obd);
    Extended.Update(vehicleDataLetter, *obd);
}

} // namespace kestrel
