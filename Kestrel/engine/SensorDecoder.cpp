#include "engine/SensorDecoder.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>
#include <string>

namespace kestrel {
namespace {

// Record layout: offsets from the start of a 124-byte record.
constexpr size_t kGpsStatus = 5;
constexpr size_t kLatitude = 6;
constexpr size_t kLatitudeSign = 15;
constexpr size_t kLongitude = 16;
constexpr size_t kLongitudeSign = 26;
constexpr size_t kSpeed = 27;
constexpr size_t kDateTime = 31;
constexpr size_t kTimeOffset = 44;
constexpr size_t kAccelX = 57;
constexpr size_t kAccelY = 62;
constexpr size_t kAccelZ = 67;
constexpr size_t kManualFlag = 72;
constexpr size_t kAxisLetter = 73;
constexpr size_t kEventLetter = 74;
constexpr size_t kSecondEventFlag = 75;
constexpr size_t kParkingFlag = 76;
constexpr size_t kWarningFlag = 77;
constexpr size_t kVehicleStatus = 78;
constexpr size_t kVehicleWords = 82;
constexpr size_t kCameraByte = 122;
constexpr size_t kCameraNibbles = 123;

// Stored header layout and the tag that chains another header behind it.
constexpr size_t kHeaderMode = 16;
constexpr size_t kHeaderVersion = 17;
constexpr size_t kHeaderPicture = 23;
constexpr size_t kHeaderByte24 = 24;
constexpr size_t kHeaderRecordingType = 25;
constexpr size_t kHeaderVehicleData = 26;
constexpr size_t kChainTag = 32;
constexpr size_t kChainStep = 36;

bool IsTextSpace(uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Thresholds and accelerations: thousandths as text, in single precision.
float Thousandths(const uint8_t* field, size_t width) {
    return static_cast<float>(TextToDouble(field, width)) / 1000.0f;
}

void FillGps(const uint8_t* record, int32_t index, RecordedTimeConverter& times, GpsSample& gps) {
    gps.Index = index;
    gps.Time = 100 * index;
    gps.Latitude = DegreesFromText(record + kLatitude, 9, record[kLatitudeSign]);
    gps.Longitude = DegreesFromText(record + kLongitude, 10, record[kLongitudeSign]);
    // A damaged record can claim a fix at a place that does not exist; the track, the map and
    // the readouts then treat it as a record without a fix.
    const bool onEarth = std::fabs(gps.Latitude) <= 90.0 && std::fabs(gps.Longitude) <= 180.0;
    gps.Valid = record[kGpsStatus] == 'A' && onEarth ? 1 : 0;
    gps.SpeedKmh = TextToDouble(record + kSpeed, 4);
    gps.LocalTime = times.Convert(record + kDateTime, record + kTimeOffset);
}

int32_t EventCodeOf(const uint8_t* record) {
    if (record[kSecondEventFlag] == 'D') return 6;
    if (record[kManualFlag] == 'D') return 5;
    if (record[kParkingFlag] == 'D') return 7;
    switch (record[kEventLetter]) {
    case 'H': return 11;
    case 'A': return 12;
    case 'B': return 13;
    default: return -1;
    }
}

int32_t AxisOf(uint8_t letter) {
    switch (letter) {
    case 'X': return 1;
    case 'Y': return 2;
    case 'Z': return 3;
    default: return 0;
    }
}

void FillGSensor(const uint8_t* record, int32_t index, GSensorSample& g) {
    g.Index = index;
    g.Time = 100 * index;
    g.EventCode = EventCodeOf(record);
    g.Axis = AxisOf(record[kAxisLetter]);
    g.WarningFlag = record[kWarningFlag] == 'D' ? 8 : 0;
    g.X = Thousandths(record + kAccelX, 5);
    g.Y = Thousandths(record + kAccelY, 5);
    g.Z = Thousandths(record + kAccelZ, 5);
    g.CameraByte = record[kCameraByte];
    g.CameraHigh = record[kCameraNibbles] >> 4;
    g.CameraLow = record[kCameraNibbles] & 15;
}

void FillObd(const uint8_t* record, int32_t index, ObdSample& obd) {
    obd.Index = index;
    std::memcpy(obd.Status, record + kVehicleStatus, sizeof(obd.Status));
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(obd.Words, record + kVehicleWords, sizeof(obd.Words));
    } else {
        for (size_t w = 0; w < 18; ++w) {
            const uint8_t* word = record + kVehicleWords + 2 * w;
            obd.Words[w] = static_cast<uint16_t>(word[0] | (word[1] << 8));
        }
    }
}

// Runs `decode` on every whole record present, with the scanner's RecordCount as the
// running record number.
template <class Decode>
bool ForEachRecord(BoxScanner& scanner, std::span<const uint8_t> data, Decode&& decode) {
    const size_t count = RecordsPresent(data);
    scanner.RecordCount = 0;
    for (size_t r = 0; r < count; ++r) {
        decode(data.data() + kFirstRecordOffset + r * kSensorRecordSize, scanner.RecordCount);
        ++scanner.RecordCount;
    }
    return true;
}

} // namespace

double TextToDouble(const uint8_t* field, size_t width) {
    // Only the accepted characters are read, so the conversion can neither run past the
    // field nor read an exponent, a hexadecimal number, "inf" or "nan".
    size_t i = 0;
    while (i < width && IsTextSpace(field[i])) ++i;
    bool negative = false;
    if (i < width && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    const size_t start = i;
    uint64_t mantissa = 0;
    int digits = 0;
    int fractionDigits = 0;
    bool point = false;
    for (; i < width; ++i) {
        const uint8_t c = field[i];
        if (c >= '0' && c <= '9') {
            mantissa = mantissa * 10 + (c - '0');
            ++digits;
            if (point) ++fractionDigits;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) return 0.0;
    double value = 0.0;
    if (digits <= 15) {
        // Both operands are exact, so one division rounds exactly as the full conversion.
        static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                  1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        value = static_cast<double>(mantissa) / kPowersOfTen[fractionDigits];
    } else {
        std::string text(reinterpret_cast<const char*>(field + start), i - start);
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    }
    return negative ? -value : value;
}

double DegreesFromText(const uint8_t* field, size_t width, uint8_t signByte) {
    const double value = TextToDouble(field, width);
    double degrees = 0.0;
    if (std::fabs(value) < 0x1p52) {
        // Whole degrees are the integer quotient of the truncated value by 100; the rest are
        // minutes. value - 100 × quotient is exact at this size, so it equals fmod(value, 100).
        const int64_t hundreds = static_cast<int64_t>(std::trunc(value)) / 100;
        const double minutes = value - static_cast<double>(hundreds * 100);
        degrees = static_cast<double>(hundreds) + minutes / 60.0;
    } else {
        degrees = std::trunc(value / 100.0) + std::fmod(value, 100.0) / 60.0;
    }
    return signByte != 0 ? degrees : -degrees;
}

bool DecodeStoredHeader(std::span<const uint8_t> data, RecorderHeader& out) {
    out = RecorderHeader{};
    for (size_t at = 0;; at += kChainStep) {
        // A header cut off by the end of the window is as unusable as a wrong mode letter.
        const uint8_t* header = at <= data.size() && data.size() - at >= kStoredHeaderSize
                                    ? data.data() + at
                                    : nullptr;
        if (!header || (header[kHeaderMode] != 'M' && header[kHeaderMode] != 'D')) {
            out = RecorderHeader{};
            out.ThresholdX = out.ThresholdY = out.ThresholdZ = out.ThresholdW = -1.0f;
            return false;
        }
        out.ThresholdX = Thousandths(header, 4);
        out.ThresholdY = Thousandths(header + 4, 4);
        out.ThresholdZ = Thousandths(header + 8, 4);
        out.ThresholdW = Thousandths(header + 12, 4);
        out.Mode = static_cast<char>(header[kHeaderMode]);
        std::memcpy(out.VersionChars, header + kHeaderVersion, sizeof(out.VersionChars));
        out.PictureLetter = static_cast<char>(header[kHeaderPicture]);
        out.Byte24 = static_cast<char>(header[kHeaderByte24]);
        out.RecordingType = static_cast<char>(header[kHeaderRecordingType]);
        out.VehicleData = static_cast<char>(header[kHeaderVehicleData]);

        const bool chained = data.size() - at >= kChainStep && header[kChainTag] == '@' &&
                             header[kChainTag + 1] == 'C' && header[kChainTag + 2] == 'S' &&
                             header[kChainTag + 3] >= 'A' && header[kChainTag + 3] <= 'Z';
        if (!chained) return true;
    }
}

GpsSample DecodeGpsPart(const uint8_t* record, int32_t index) {
    RecordedTimeConverter times;
    GpsSample gps;
    FillGps(record, index, times, gps);
    return gps;
}

GSensorSample DecodeGSensorPart(const uint8_t* record, int32_t index) {
    GSensorSample g;
    FillGSensor(record, index, g);
    return g;
}

ObdSample DecodeObdPart(const uint8_t* record, int32_t index) {
    ObdSample obd;
    FillObd(record, index, obd);
    return obd;
}

size_t RecordsPresent(std::span<const uint8_t> data) {
    if (data.size() < kFirstRecordOffset) return 0;
    const size_t stored = (size_t{data[kRecordCountOffset]} << 8) | data[kRecordCountOffset + 1];
    return std::min(stored, (data.size() - kFirstRecordOffset) / kSensorRecordSize);
}

bool DecodeHeader(BoxScanner&, std::span<const uint8_t> data, const ScanOutputs& out) {
    if (!out.Header) return false;
    return DecodeStoredHeader(data, *out.Header);
}

bool DecodeRecords(BoxScanner& scanner, std::span<const uint8_t> data, const ScanOutputs& out) {
    if (!out.Gps || !out.GSensor || !out.Obd) return false;
    const size_t count = RecordsPresent(data);
    out.Gps->reserve(out.Gps->size() + count);
    out.GSensor->reserve(out.GSensor->size() + count);
    out.Obd->reserve(out.Obd->size() + count);
    RecordedTimeConverter times;
    return ForEachRecord(scanner, data, [&](const uint8_t* record, int32_t index) {
        FillGps(record, index, times, out.Gps->emplace_back());
        FillGSensor(record, index, out.GSensor->emplace_back());
        FillObd(record, index, out.Obd->emplace_back());
    });
}

bool DecodeGpsOnly(BoxScanner& scanner, std::span<const uint8_t> data, const ScanOutputs& out) {
    if (!out.Gps) return false;
    out.Gps->reserve(out.Gps->size() + RecordsPresent(data));
    RecordedTimeConverter times;
    return ForEachRecord(scanner, data, [&](const uint8_t* record, int32_t index) {
        FillGps(record, index, times, out.Gps->emplace_back());
    });
}

} // namespace kestrel
