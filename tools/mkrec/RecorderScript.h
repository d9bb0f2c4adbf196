#pragma once
// What the generator writes into a movie's "udat" box: the recorder's header and its
// 124-byte records, as field texts, and a scripted drive that fills them.
#include "mkrec/CivilTime.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::mkrec {

// The 28-byte stored header, field by field. Texts are written left-aligned into their
// fields, padded with spaces and cut at the field's width.
struct HeaderValues {
    std::array<std::string, 4> Thresholds{"1200", "1200", "1200", "1000"}; // thousandths of G
    char Mode = 'M';          // 'M' or 'D'; anything else makes the header invalid
    char VersionSuffix = '0'; // '0' ".0", 'A'/'C' the letter, else no suffix
    char Major = '1';
    std::string Minor = "02";
    std::string Build = "03";
    char Picture = 'H';
    uint8_t Byte24 = '1';
    char RecordingType = 'N'; // 'N' normal, 'T' time-lapse
    char VehicleData = '3';   // '2' or 'N' no extended vehicle values, '3' present
    uint8_t Byte27 = ' ';

    friend bool operator==(const HeaderValues&, const HeaderValues&) = default;
};

// One 124-byte record, field by field; texts as in HeaderValues.
struct RecordValues {
    std::string Lead = "CSREC"; // bytes 0..4, not read by the viewer
    char GpsStatus = 'A';       // 'A' valid, 'V' no fix
    std::string Latitude = "0000.0000";   // ddmm.mmmm
    uint8_t LatitudeSign = 'N';           // non-zero north, zero south
    std::string Longitude = "00000.0000"; // dddmm.mmmm
    uint8_t LongitudeSign = 'E';          // non-zero east, zero west
    std::string Speed = "00.0";           // km/h
    std::string DateTime = "000000000000"; // yymmddhhmmss
    std::string TimeOffset = "000";        // seconds added to DateTime, '*' first: none
    std::string AccelX = "+0000";          // thousandths of G
    std::string AccelY = "+0000";
    std::string AccelZ = "+0000";
    char Manual = 'N';      // 'D' set
    char Axis = 'N';        // 'X', 'Y', 'Z': the axis of a G event
    char Event = 'N';       // 'H', 'A', 'B' drive support, 'N' none
    char SecondEvent = 'N'; // 'D' set (emergency recording stop)
    char Parking = 'N';     // 'D' set
    char Warning = 'N';     // 'D' set (speeding)
    std::array<uint8_t, 4> Status{'1', '0', '0', '0'}; // first a space: no vehicle data
    std::array<uint16_t, 18> Words{};                   // 0x2020: no value
    uint8_t Camera = 'R';        // byte 122: microphone state 'R', 'r' or 'M'
    uint8_t CameraNibbles = 0;   // byte 123: speed camera 0xA9, radar 0x88 / 0x98

    friend bool operator==(const RecordValues&, const RecordValues&) = default;
};

inline constexpr uint16_t kNoWord = 0x2020;

enum class ScriptEventKind {
    Manual,        // manual flag
    ImpactX,       // axis 'X' with a peak on X
    ImpactY,       // axis 'Y' with a peak on Y
    ImpactZ,       // axis 'Z' with a peak on Z
    SupportSteer,  // event letter 'H'
    SupportAccel,  // event letter 'A'
    SupportBrake,  // event letter 'B'
    EmergencyStop, // second event flag together with the manual flag
    Parking,       // parking flag
    Speeding,      // warning flag
    SpeedCamera,   // camera nibbles 0xA9
    Radar,         // camera nibbles 0x88
    RadarAlt,      // camera nibbles 0x98
};

struct ScriptEvent {
    int Record = 0; // record number counted from the start of the drive
    ScriptEventKind Kind = ScriptEventKind::Manual;
};

struct RecordRange {
    int Begin = 0; // first record
    int End = 0;   // one past the last record
    bool Contains(int r) const { return r >= Begin && r < End; }
};

// The peaks the script writes for its G events (thousandths of G).
inline constexpr int kPeakX = 1350;
inline constexpr int kPeakY = -820;
inline constexpr int kPeakZ = 640;

struct DriveOptions {
    int FirstRecord = 0; // the records made start here (earlier ones are driven, not kept)
    int Records = 20;    // number of records made
    CivilTime Start;     // wall-clock time of record 0
    double StartLatitude = 35.0 + 39.1234 / 60.0;   // signed degrees (south negative)
    double StartLongitude = 139.0 + 45.6789 / 60.0; // signed degrees (west negative)
    uint32_t Seed = 1;            // noise of the G values and of the speed
    int TimeOffsetSeconds = 0;    // written as three digits while GPS has a fix, '*' else
    char VehicleData = '3';       // the header's letter; '3' fills words 15..17
    uint8_t Microphone = 'R';     // record byte 122
    int ParkFrom = -1;            // from this record on the vehicle stands, engine off
    std::vector<ScriptEvent> Events;
    std::vector<RecordRange> GpsLoss;       // status 'V', position and speed zero
    std::vector<RecordRange> NoVehicleData; // status byte ' ', every word 0x2020
};

// The test drive's events: one of each kind in every 100 records, at these offsets:
// 2 manual, 4 X +1.350 G, 6 Y -0.820 G, 8 Z +0.640 G, 10 'H', 11 'A', 12 'B',
// 13 emergency stop (second event + manual), 14 parking, 15-16 speeding, 17 speed
// camera, 18 radar 0x88, 19 radar 0x98; GPS lost at 16..19 and no vehicle data at 0..1.
DriveOptions DefaultDriveOptions(int records);

// The drive as records, deterministic for given options: speed varies smoothly, the
// position follows the speed along a slowly turning heading, the date and time advance
// one second every ten records.
std::vector<RecordValues> MakeDriveScript(const DriveOptions& options);

// Texts of a position in the record's forms (ddmm.mmmm / dddmm.mmmm) and back.
std::string LatitudeText(double degrees);
std::string LongitudeText(double degrees);
double DegreesFromText(const std::string& ddmm); // unsigned degrees; -1 when not a number

} // namespace kestrel::mkrec
