#include "mkrec/RecorderScript.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

namespace kestrel::mkrec {

namespace {

constexpr double kMetresPerDegree = 111320.0;

// A repeatable value in [-1, 1] for one record and one channel of noise.
double Noise(uint32_t seed, int record, int channel) {
    uint64_t z = (static_cast<uint64_t>(seed) << 32) ^ (static_cast<uint64_t>(record) << 8) ^
                 static_cast<uint64_t>(channel);
    z += 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) / static_cast<double>(1ull << 52) - 1.0;
}

double Wave(int record, double period) {
    return std::sin(2.0 * std::numbers::pi * record / period);
}

bool InAny(const std::vector<RecordRange>& ranges, int r) {
    for (const RecordRange& range : ranges) {
        if (range.Contains(r)) return true;
    }
    return false;
}

bool Parked(const DriveOptions& o, int r) { return o.ParkFrom >= 0 && r >= o.ParkFrom; }

double SmoothSpeedAt(const DriveOptions& o, int r) {
    if (Parked(o, r)) return 0.0;
    return std::max(40.0 + 20.0 * Wave(r, 300.0) + 5.0 * Wave(r, 70.0), 0.0);
}

// What the GPS reports: the smooth speed with a little jitter.
double SpeedAt(const DriveOptions& o, int r) {
    if (Parked(o, r)) return 0.0;
    return std::max(SmoothSpeedAt(o, r) + 0.3 * Noise(o.Seed, r, 1), 0.0);
}

double HeadingAt(int r) { return (30.0 + 40.0 * Wave(r, 900.0)) * std::numbers::pi / 180.0; }

std::string SpeedText(double kmh) {
    char text[16];
    if (kmh < 99.95) {
        std::snprintf(text, sizeof text, "%04.1f", kmh);
    } else {
        std::snprintf(text, sizeof text, "%04d", static_cast<int>(std::lround(std::min(kmh, 9999.0))));
    }
    return text;
}

std::string AccelText(int thousandths) {
    char text[16];
    std::snprintf(text, sizeof text, "%+05d", std::clamp(thousandths, -9999, 9999));
    return text;
}

int CalmAccel(const DriveOptions& o, int r, int channel) {
    const double scale = Parked(o, r) ? 5.0 : 1.0;
    double base = 0.0;
    if (!Parked(o, r)) {
        static const double kPeriods[3] = {37.0, 53.0, 29.0};
        base = 30.0 * Wave(r, kPeriods[channel]);
    }
    return static_cast<int>(std::lround(base / scale + 20.0 / scale * Noise(o.Seed, r, 10 + channel)));
}

void FillVehicle(const DriveOptions& o, int r, double kmh, RecordValues& rec) {
    rec.Words.fill(kNoWord);
    if (Parked(o, r) || InAny(o.NoVehicleData, r)) {
        rec.Status = {' ', ' ', ' ', ' '};
        return;
    }
    rec.Status = {'1', '0', '0', '0'};
    const double throttle = 1.0 + Wave(r, 70.0);
    rec.Words[0] = static_cast<uint16_t>(40 + 82 + r / 50 % 5);             // coolant, +40 °C
    rec.Words[1] = static_cast<uint16_t>(130 + static_cast<int>(kmh / 2.0)); // intake pressure
    rec.Words[2] = static_cast<uint16_t>(800 + static_cast<int>(kmh * 35.0)); // rpm
    rec.Words[3] = static_cast<uint16_t>(std::lround(kmh));                  // km/h
    rec.Words[7] = static_cast<uint16_t>(120 + static_cast<int>(60.0 * throttle)); // 0.1 %
    if (o.VehicleData == '3') {
        rec.Words[15] = static_cast<uint16_t>(500 + r % 100);
        // Word 16 is signed; the recorder writes 0x3FFF when it has no value.
        rec.Words[16] = r % 50 == 49
                            ? uint16_t{0x3FFF}
                            : static_cast<uint16_t>(static_cast<int16_t>(std::lround(10.0 * Wave(r, 200.0))));
        rec.Words[17] = static_cast<uint16_t>(1200 + r % 300);
    }
}

void ApplyEvent(ScriptEventKind kind, RecordValues& rec) {
    switch (kind) {
    case ScriptEventKind::Manual: rec.Manual = 'D'; break;
    case ScriptEventKind::ImpactX: rec.Axis = 'X'; rec.AccelX = AccelText(kPeakX); break;
    case ScriptEventKind::ImpactY: rec.Axis = 'Y'; rec.AccelY = AccelText(kPeakY); break;
    case ScriptEventKind::ImpactZ: rec.Axis = 'Z'; rec.AccelZ = AccelText(kPeakZ); break;
    case ScriptEventKind::SupportSteer: rec.Event = 'H'; break;
    case ScriptEventKind::SupportAccel: rec.Event = 'A'; break;
    case ScriptEventKind::SupportBrake: rec.Event = 'B'; break;
    case ScriptEventKind::EmergencyStop: rec.SecondEvent = 'D'; rec.Manual = 'D'; break;
    case ScriptEventKind::Parking: rec.Parking = 'D'; break;
    case ScriptEventKind::Speeding: rec.Warning = 'D'; break;
    case ScriptEventKind::SpeedCamera: rec.CameraNibbles = 0xA9; break;
    case ScriptEventKind::Radar: rec.CameraNibbles = 0x88; break;
    case ScriptEventKind::RadarAlt: rec.CameraNibbles = 0x98; break;
    }
}

} // namespace

std::string LatitudeText(double degrees) {
    const double a = std::fabs(degrees);
    int whole = static_cast<int>(a);
    double minutes = (a - whole) * 60.0;
    if (minutes >= 59.99995) { // would print as 60.0000
        ++whole;
        minutes = 0.0;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%02d%07.4f", whole, minutes);
    return text;
}

std::string LongitudeText(double degrees) {
    const double a = std::fabs(degrees);
    int whole = static_cast<int>(a);
    double minutes = (a - whole) * 60.0;
    if (minutes >= 59.99995) {
        ++whole;
        minutes = 0.0;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%03d%07.4f", whole, minutes);
    return text;
}

double DegreesFromText(const std::string& ddmm) {
    if (ddmm.empty()) return -1.0;
    char* end = nullptr;
    const double v = std::strtod(ddmm.c_str(), &end);
    if (end != ddmm.c_str() + ddmm.size() || v < 0.0 || !std::isfinite(v)) return -1.0;
    const double whole = std::floor(v / 100.0);
    const double minutes = v - whole * 100.0;
    if (minutes >= 60.0) return -1.0;
    return whole + minutes / 60.0;
}

DriveOptions DefaultDriveOptions(int records) {
    using K = ScriptEventKind;
    static const ScriptEvent kCluster[] = {
        {2, K::Manual},         {4, K::ImpactX},       {6, K::ImpactY},       {8, K::ImpactZ},
        {10, K::SupportSteer},  {11, K::SupportAccel}, {12, K::SupportBrake}, {13, K::EmergencyStop},
        {14, K::Parking},       {15, K::Speeding},     {16, K::Speeding},     {17, K::SpeedCamera},
        {18, K::Radar},         {19, K::RadarAlt},
    };
    DriveOptions o;
    o.Records = records;
    for (int c = 0; c < records; c += 100) {
        for (const ScriptEvent& e : kCluster) o.Events.push_back({c + e.Record, e.Kind});
        o.GpsLoss.push_back({c + 16, c + 20});
        o.NoVehicleData.push_back({c, c + 2});
    }
    return o;
}

std::vector<RecordValues> MakeDriveScript(const DriveOptions& o) {
    std::vector<RecordValues> out;
    if (o.Records <= 0) return out;
    out.reserve(static_cast<size_t>(o.Records));
    double lat = o.StartLatitude;
    double lon = o.StartLongitude;
    double previousKmh = SmoothSpeedAt(o, -1);
    const int last = o.FirstRecord + o.Records;
    for (int r = 0; r < last; ++r) {
        const double kmh = SpeedAt(o, r);
        if (r >= o.FirstRecord) {
            RecordValues rec;
            const bool fix = !InAny(o.GpsLoss, r);
            rec.GpsStatus = fix ? 'A' : 'V';
            rec.Latitude = fix ? LatitudeText(lat) : "0000.0000";
            rec.LatitudeSign = lat < 0.0 ? uint8_t{0} : uint8_t{'N'};
            rec.Longitude = fix ? LongitudeText(lon) : "00000.0000";
            rec.LongitudeSign = lon < 0.0 ? uint8_t{0} : uint8_t{'E'};
            rec.Speed = fix ? SpeedText(kmh) : "00.0";
            rec.DateTime = RecordDigits(AddSeconds(o.Start, r / 10));
            if (fix) {
                char offset[8];
                std::snprintf(offset, sizeof offset, "%03d", std::clamp(o.TimeOffsetSeconds, 0, 999));
                rec.TimeOffset = offset;
            } else {
                rec.TimeOffset = "***";
            }
            // Braking shows as negative Y, as the recorder mounts the sensor.
            const int braking = static_cast<int>(
                std::lround((previousKmh - SmoothSpeedAt(o, r)) / 3.6 / 0.1 / 9.81 * 1000.0));
            rec.AccelX = AccelText(CalmAccel(o, r, 0));
            rec.AccelY = AccelText(CalmAccel(o, r, 1) - braking);
            rec.AccelZ = AccelText(CalmAccel(o, r, 2));
            FillVehicle(o, r, kmh, rec);
            rec.Camera = o.Microphone;
            for (const ScriptEvent& e : o.Events) {
                if (e.Record == r) ApplyEvent(e.Kind, rec);
            }
            out.push_back(std::move(rec));
        }
        // Move on along the heading for the next tenth of a second.
        const double metres = kmh / 3.6 * 0.1;
        const double heading = HeadingAt(r);
        lat += metres * std::cos(heading) / kMetresPerDegree;
        const double cosLat = std::max(std::cos(lat * std::numbers::pi / 180.0), 0.01);
        lon += metres * std::sin(heading) / (kMetresPerDegree * cosLat);
        if (lon > 180.0) lon -= 360.0;
        if (lon < -180.0) lon += 360.0;
        lat = std::clamp(lat, -89.9, 89.9);
        previousKmh = SmoothSpeedAt(o, r);
    }
    return out;
}

} // namespace kestrel::mkrec
