#pragma once
// What every view shows of one frame of the shown recording, as one plain value: the G sample
// linked to the frame, the GPS sample linked to that and the vehicle words linked to it. The
// information panel, the graph cursor, the OBD panel and the map all draw from the same value,
// so that they never disagree about the frame they show.
#include "engine/SensorSamples.h"

namespace kestrel {

struct FrameValues {
    int Frame = 0;          // the frame these values belong to
    bool HasSample = false; // a G sample is linked to the frame
    // G sample: acceleration in G (-5.0 or below: no value) and the camera byte, which
    // carries the microphone state.
    double AccelX = -5.0;
    double AccelY = -5.0;
    double AccelZ = -5.0;
    int CameraByte = 0;
    // Linked GPS sample: its validity flag (0 without one) and, while valid, position and
    // speed. SpeedKmh is -1.0 without a valid position.
    int GpsValid = 0;
    double Latitude = 0.0;
    double Longitude = 0.0;
    double SpeedKmh = -1.0;
    // Linked vehicle sample, read under the recording's vehicle-data letter.
    bool HasObd = false;
    ObdSample Obd;
    char VehicleData = 0;

    bool Located() const { return HasSample && GpsValid != 0; }
};

} // namespace kestrel
