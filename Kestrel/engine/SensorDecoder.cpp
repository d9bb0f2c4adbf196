#include "engine/SensorDecoder.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>

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

int TwoDigits(const uint8_t* field) { return static_cast<int>(TextToDouble(field, 2)); }

// Thresholds and accelerations: thousandths as text, in single precision.
float Thousandths(const uint8_t* field, size_t width) {
    return static_cast<float>(TextToDouble(field, width)) / 1000.0f;
}

// Records of one second share their date and time fields, so the last conversion is kept.
class LocalTimeCache {
public:
    const DateTime& Convert(const uint8_t* record) {
        const uint8_t* date = record + kDateTime;
        const uint8_t* offset = record + kTimeOffset;
        if (!valid_ || std::memcmp(date, date_, 12) != 0 || std::memcmp(offset, offset_, 3) != 0) {
            std::memcpy(date_, date, 12);
            std::memcpy(offset_, offset, 3);
            time_ = RecordedLocalTime(date, offset);
            valid_ = true;
        }
        return time_;
    }

private:
    bool valid_ = false;
    uint8_t date_[12] = {};
    uint8_t offset_[3] = {};
    DateTime time_;
};

GpsSample DecodeGps(const uint8_t* record, int32_t index, LocalTimeCache& times) {
    GpsSample gps;
    gps.Index = index;
    gps.Time = 100 * index;
    gps.Valid = record[kGpsStatus] == 'A' ? 1 : 0;
    gps.Latitude = DegreesFromText(record + kLatitude, 9, record[kLatitudeSign]);
    gps.Longitude = DegreesFromText(record + kLongitude, 10, record[kLongitudeSign]);
    gps.SpeedKmh = TextToDouble(record + kSpeed, 4);
    gps.LocalTime = times.Convert(record);
    return gps;
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

template <class Appender>
bool ForEachRecord(BoxScanner& scanner, std::span<const uint8_t> data, Appender&& append) {
    const size_t count = RecordsPresent(data);
    scanner.RecordCount = 0;
    for (size_t r = 0; r < count; ++r) {
        append(data.data() + kFirstRecordOffset + r * kSensorRecordSize, static_cast<int32_t>(r));
        ++scanner.RecordCount;
    }
    return true;
}

} // namespace

double TextToDouble(const uint8_t* field, size_t width) {
    // Only the accepted characters are copied, so the conversion can neither run past the
    // field nor read an exponent, a hexadecimal number, "inf" or "nan".
    char text[24];
    size_t length = 0;
    size_t i = 0;
    while (i < width && IsTextSpace(field[i])) ++i;
    if (i < width && (field[i] == '+' || field[i] == '-')) {
        if (field[i] == '-') text[length++] = '-';
        ++i;
    }
    bool digits = false;
    bool point = false;
    for (; i < width && length < sizeof(text); ++i) {
        const uint8_t c = field[i];
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
        text[length++] = static_cast<char>(c);
    }
    double value = 0.0;
    if (digits) std::from_chars(text, text + length, value, std::chars_format::fixed);
    return value;
}

double DegreesFromText(const uint8_t* field, size_t width, uint8_t signByte) {
    const double value = TextToDouble(field, width);
    // Whole degrees are the integer quotient of the truncated value; the rest are minutes.
    const auto whole = static_cast<int64_t>(std::trunc(value));
    const double degrees = static_cast<double>(whole / 100) + std::fmod(value, 100.0) / 60.0;
    return signByte != 0 ? degrees : -degrees;
}

DateTime RecordedLocalTime(const uint8_t* dateDigits, const uint8_t* offsetField) {
    std::tm recorded{};
    recorded.tm_year = 2000 + TwoDigits(dateDigits) - 1900;
    recorded.tm_mon = TwoDigits(dateDigits + 2) - 1;
    recorded.tm_mday = TwoDigits(dateDigits + 4);
    recorded.tm_hour = TwoDigits(dateDigits + 6);
    recorded.tm_min = TwoDigits(dateDigits + 8);
    recorded.tm_sec = TwoDigits(dateDigits + 10);
    recorded.tm_isdst = -1;
    // The recorder writes its wall-clock time; the offset moves it on by whole seconds.
    std::time_t seconds = std::mktime(&recorded);
    if (seconds == static_cast<std::time_t>(-1)) {
        seconds = 0;
    } else if (offsetField[0] != '*') {
        seconds += static_cast<std::time_t>(TextToDouble(offsetField, 3));
    }
    std::tm utc{};
    if (!gmtime_r(&seconds, &utc)) return {};
    const std::time_t back = timegm(&utc);
    std::tm local{};
    if (back == static_cast<std::time_t>(-1) || !localtime_r(&back, &local)) return {};
    if (local.tm_year + 1900 < 0 || local.tm_year + 1900 > 0xFFFF) return {};
    DateTime time;
    time.Year = static_cast<uint16_t>(local.tm_year + 1900);
    time.Month = static_cast<uint16_t>(local.tm_mon + 1);
    time.DayOfWeek = static_cast<uint16_t>(local.tm_wday);
    time.Day = static_cast<uint16_t>(local.tm_mday);
    time.Hour = static_cast<uint16_t>(local.tm_hour);
    time.Minute = static_cast<uint16_t>(local.tm_min);
    time.Second = static_cast<uint16_t>(local.tm_sec);
    return time;
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
    LocalTimeCache times;
    return DecodeGps(record, index, times);
}

GSensorSample DecodeGSensorPart(const uint8_t* record, int32_t index) {
    GSensorSample g;
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
    return g;
}

ObdSample DecodeObdPart(const uint8_t* record, int32_t index) {
    ObdSample obd;
    obd.Index = index;
    std::memcpy(obd.Status, record + kVehicleStatus, sizeof(obd.Status));
    for (size_t w = 0; w < 18; ++w) {
        const uint8_t* word = record + kVehicleWords + 2 * w;
        obd.Words[w] = static_cast<uint16_t>(word[0] | (word[1] << 8));
    }
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
    LocalTimeCache times;
    return ForEachRecord(scanner, data, [&](const uint8_t* record, int32_t index) {
        out.Gps->push_back(DecodeGps(record, index, times));
        out.GSensor->push_back(DecodeGSensorPart(record, index));
        out.Obd->push_back(DecodeObdPart(record, index));
    });
}

bool DecodeGpsOnly(BoxScanner& scanner, std::span<const uint8_t> data, const ScanOutputs& out) {
    if (!out.Gps) return false;
    out.Gps->reserve(out.Gps->size() + RecordsPresent(data));
    LocalTimeCache times;
    return ForEachRecord(scanner, data, [&](const uint8_t* record, int32_t index) {
        out.Gps->push_back(DecodeGps(record, index, times));
    });
}

} // namespace kestrel
