#pragma once
// The recorder's data as decoded from a movie's "udat" box: its header and, per record
// (one every 100 ms), a GPS sample, a G-sensor sample and a vehicle (OBD) sample.
#include "engine/DateTime.h"

#include <cstdint>
#include <vector>

namespace kestrel {

struct GSensorSample;
struct ObdSample;

struct RecorderHeader {
    float ThresholdX = 0.0f; // G; all four are -1.0 when the header is invalid
    float ThresholdY = 0.0f;
    float ThresholdZ = 0.0f;
    float ThresholdW = 0.0f;
    char Mode = 0;             // 'M' or 'D'
    char VersionChars[6] = {}; // suffix, major, minor (2), build (2), as stored
    char PictureLetter = 0;    // 'H' selects the first code of each resolution class
    char Byte24 = 0;           // copied, not interpreted
    char RecordingType = 0;    // 'N' normal, 'T' time-lapse
    char VehicleData = 0;      // '2' or 'N': no extended vehicle values, '3': present
};

struct GpsSample {
    int32_t Index = 0;
    int32_t Time = 0; // milliseconds when decoded, video frame number after BuildFrameIndex
    int32_t Valid = 0;
    const GSensorSample* LinkedG = nullptr;
    const ObdSample* LinkedObd = nullptr;
    int32_t Reserved = 0;
    double Latitude = 0.0;
    double Longitude = 0.0;
    double SpeedKmh = 0.0;
    double Heading = 0.0; // the record carries no heading
    DateTime LocalTime;

    friend bool operator==(const GpsSample&, const GpsSample&) = default;
};

struct GSensorSample {
    int32_t Index = 0;
    int32_t EventCode = -1;
    int32_t WarningFlag = 0; // 8 when the warning flag is set
    int32_t Axis = 0;        // 1 X, 2 Y, 3 Z, 0 none
    int32_t Time = 0;
    int32_t CameraByte = 0;
    const GpsSample* LinkedGps = nullptr;
    const ObdSample* LinkedObd = nullptr;
    double X = 0.0;
    double Y = 0.0;
    double Z = 0.0;
    int32_t CameraHigh = 0;
    int32_t CameraLow = 0;

    friend bool operator==(const GSensorSample&, const GSensorSample&) = default;
};

struct ObdSample {
    int32_t Index = 0;
    uint8_t Status[4] = {};
    uint16_t Words[18] = {};

    friend bool operator==(const ObdSample&, const ObdSample&) = default;
};

using GpsSampleList = std::vector<GpsSample>;
using GSensorSampleList = std::vector<GSensorSample>;
using ObdSampleList = std::vector<ObdSample>;
using FrameIndexList = std::vector<const GSensorSample*>;

} // namespace kestrel
