#pragma once
// The OBD panel, an owned pop-up beside the main window. It is handed the vehicle values of
// the shown frame; its gauges come with the panel itself.
#include "engine/SensorSamples.h"
#include "engine/VehicleValues.h"
#include "skin/CSkinDialog.h"

#include <cstdint>

namespace kestrel {

class CObdDlg : public CSkinDialog {
    Q_OBJECT
  public:
    explicit CObdDlg(QWidget* parent = nullptr);

    int32_t CoolantTemperature = 0;
    int32_t IntakePressure = 90;
    int32_t EngineSpeed = 0;
    int32_t VehicleSpeed = 0;
    int32_t ThrottleOpening = 0;
    ExtendedVehicleValues Extended;
    int GpsValid = 0;

    // The values of the vehicle sample linked to the shown frame, read under the recording's
    // vehicle-data letter. Without a sample the values shown stay.
    void SetValues(const ObdSample* obd, char vehicleDataLetter, int gpsValid);
};

} // namespace kestrel
