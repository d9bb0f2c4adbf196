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

// The recorder writes its numbers in a few fixed layouts ("3539.1234", "13945.6789",
// "0042", "42.5", "+0010"). Those are read below without the character loop of
// TextToDouble; a field in any other layout goes to TextToDouble. Both give the same value:
// the same digits make the same integer, divided by the same power of ten.

bool Digit(uint8_t c, uint32_t& value) {
    value = static_cast<uint32_t>(c) - '0';
    return value <= 9;
}

// Four decimal digits at `p`, tested and summed four bytes at a time.
[[gnu::always_inline]] inline bool FourDigits(const uint8_t* p, uint32_t& value) {
    if constexpr (std::endian::native != std::endian::little) {
        uint32_t d[4];
        if (!Digit(p[0], d[0]) || !Digit(p[1], d[1]) || !Digit(p[2], d[2]) || !Digit(p[3], d[3]))
            return false;
        value = d[0] * 1000 + d[1] * 100 + d[2] * 10 + d[3];
        return true;
    } else {
        uint32_t x;
        std::memcpy(&x, p, 4);
        // Every byte is '0'..'9' when its high nibble is 3 and adding 6 leaves it at 3. A
        // carry out of a byte comes only from a byte that already fails the first test.
        if (((x & 0xF0F0F0F0u) | ((x + 0x06060606u) & 0xF0F0F0F0u) >> 4) != 0x33333333u)
            return false;
        x -= 0x30303030u;
        x = x * 10 + (x >> 8); // bytes 0 and 2 now hold the two pairs of digits
        value = (x & 0xFFu) * 100 + ((x >> 16) & 0xFFu);
        return true;
    }
}

// Degrees from a ddmm.mmmm value whose whole degrees are `hundreds`; the rest are minutes.
// value - 100 × hundreds is exact at the sizes this is used for, so it equals fmod(value, 100).
[[gnu::always_inline]] inline double DegreesAndMinutes(double value, int64_t hundreds,
                                                      uint8_t signByte) {
    const double minutes = value - static_cast<double>(hundreds * 100);
    const double degrees = static_cast<double>(hundreds) + minutes / 60.0;
    return signByte != 0 ? degrees : -degrees;
}

double SignedDegrees(double value, uint8_t signByte) {
    if (std::fabs(value) < 0x1p52) {
        // Whole degrees are the integer quotient of the truncated value by 100.
        return DegreesAndMinutes(value, static_cast<int64_t>(std::trunc(value)) / 100, signByte);
    }
    const double degrees = std::trunc(value / 100.0) + std::fmod(value, 100.0) / 60.0;
    return signByte != 0 ? degrees : -degrees;
}

// A ddmm.mmmm latitude (width 9) or dddmm.mmmm longitude (width 10) as signed degrees.
[[gnu::always_inline]] inline double CoordinateDegrees(const uint8_t* field, size_t width,
                                                      uint8_t signByte) {
    uint32_t head = 0;
    uint32_t whole = 0;
    uint32_t fraction = 0;
    const uint8_t* digits = field + (width == 10 ? 1 : 0);
    const bool fixed = (width == 9 || (width == 10 && Digit(field[0], head))) &&
                       FourDigits(digits, whole) && digits[4] == '.' &&
                       FourDigits(digits + 5, fraction);
    if (!fixed) return SignedDegrees(TextToDouble(field, width), signByte);
    const uint64_t integer = uint64_t{head} * 10000 + whole;
    // Four decimals never round the value up to the next whole number, so its truncation
    // is the integer part as written.
    const double value = static_cast<double>(integer * 10000 + fraction) / 1e4;
    return DegreesAndMinutes(value, static_cast<int64_t>(integer / 100), signByte);
}

// n / 10 and n / 1000 in the precisions the fields are decoded in, for every n the fixed
// layouts can hold: the same divisions, done once instead of for every record.
struct DivisionTables {
    double Tenths[1000];
    float Thousandths[10000];

    DivisionTables() {
        for (int n = 0; n < 1000; ++n) Tenths[n] = static_cast<double>(n) / 10.0;
        for (int n = 0; n < 10000; ++n)
            Thousandths[n] = static_cast<float>(static_cast<double>(n)) / 1000.0f;
    }
};

const DivisionTables& Divisions() {
    static const DivisionTables tables;
    return tables;
}

// The four characters of the speed: dddd or dd.d.
[[gnu::always_inline]] inline double SpeedText(const uint8_t* field,
                                              const DivisionTables& divisions) {
    uint32_t value = 0;
    if (FourDigits(field, value)) return static_cast<double>(value);
    uint32_t tens = 0, ones = 0, tenths = 0;
    if (Digit(field[0], tens) && Digit(field[1], ones) && field[2] == '.' &&
        Digit(field[3], tenths)) {
        return divisions.Tenths[tens * 100 + ones * 10 + tenths];
    }
    return TextToDouble(field, 4);
}

// Thresholds and accelerations: thousandths as text, in single precision.
float Thousandths(const uint8_t* field, size_t width) {
    return static_cast<float>(TextToDouble(field, width)) / 1000.0f;
}

// The five characters of an acceleration, usually a sign and four digits, in G.
[[gnu::always_inline]] inline float AccelerationText(const uint8_t* field,
                                                    const DivisionTables& divisions) {
    uint32_t value = 0;
    if ((field[0] == '+' || field[0] == '-') && FourDigits(field + 1, value)) {
        // Rounding is symmetric: the negative quotient is the positive one negated.
        const float g = divisions.Thousandths[value];
        return field[0] == '-' ? -g : g;
    }
    return Thousandths(field, 5);
}

// The GPS part of a record, handed as its field values to `make`, which constructs the
// sample from them where it belongs. A sample constructed empty first is cleared with a
// string store, which costs more than decoding it.
template <class Make>
[[gnu::always_inline]] inline void MakeGps(const uint8_t* record, int32_t index,
                                           RecordedTimeConverter& times,
                                           const DivisionTables& divisions, Make&& make) {
    const double latitude = CoordinateDegrees(record + kLatitude, 9, record[kLatitudeSign]);
    const double longitude = CoordinateDegrees(record + kLongitude, 10, record[kLongitudeSign]);
    // A damaged record can claim a fix at a place that does not exist; the track, the map and
    // the readouts then treat it as a record without a fix.
    const bool onEarth = std::fabs(latitude) <= 90.0 && std::fabs(longitude) <= 180.0;
    const int32_t valid = record[kGpsStatus] == 'A' && onEarth ? 1 : 0;
    make(index, 100 * index, valid, nullptr, nullptr, 0, latitude, longitude,
         SpeedText(record + kSpeed, divisions), 0.0,
         times.Convert(record + kDateTime, record + kTimeOffset));
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

// The G-sensor part, handed to `make` as MakeGps does.
template <class Make>
[[gnu::always_inline]] inline void MakeGSensor(const uint8_t* record, int32_t index,
                                               const DivisionTables& divisions, Make&& make) {
    make(index, EventCodeOf(record), record[kWarningFlag] == 'D' ? 8 : 0,
         AxisOf(record[kAxisLetter]), 100 * index, int32_t{record[kCameraByte]}, nullptr,
         nullptr, double{AccelerationText(record + kAccelX, divisions)},
         double{AccelerationText(record + kAccelY, divisions)},
         double{AccelerationText(record + kAccelZ, divisions)}, record[kCameraNibbles] >> 4,
         record[kCameraNibbles] & 15);
}

[[gnu::always_inline]] inline void FillObd(const uint8_t* record, int32_t index, ObdSample& obd) {
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
    return SignedDegrees(TextToDouble(field, width), signByte);
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
    MakeGps(record, index, times, Divisions(), [&](auto... values) { gps = GpsSample{values...}; });
    return gps;
}

GSensorSample DecodeGSensorPart(const uint8_t* record, int32_t index) {
    GSensorSample g;
    MakeGSensor(record, index, Divisions(), [&](auto... values) { g = GSensorSample{values...}; });
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
    const DivisionTables& divisions = Divisions();
    return ForEachRecord(scanner, data, [&](const uint8_t* record, int32_t index) {
        MakeGps(record, index, times, divisions,
                [&](auto... values) { out.Gps->push_back({values...}); });
        MakeGSensor(record, index, divisions,
                    [&](auto... values) { out.GSensor->push_back({values...}); });
        FillObd(record, index, out.Obd->emplace_back());
    });
}

bool DecodeGpsOnly(BoxScanner& scanner, std::span<const uint8_t> data, const ScanOutputs& out) {
    if (!out.Gps) return false;
    out.Gps->reserve(out.Gps->size() + RecordsPresent(data));
    RecordedTimeConverter times;
    const DivisionTables& divisions = Divisions();
    return ForEachRecord(scanner, data, [&](const uint8_t* record, int32_t index) {
        MakeGps(record, index, times, divisions,
                [&](auto... values) { out.Gps->push_back({values...}); });
    });
}

} // namespace kestrel
