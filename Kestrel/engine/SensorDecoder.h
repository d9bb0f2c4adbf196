#pragma once
// Decoding of the recorder's own data box "udat": the stored header (with its chain) and
// the 124-byte records, one per 100 ms, each giving a GPS, a G-sensor and a vehicle sample.
// The walk callbacks receive the box from its offset 14 on (past size, type and "CSNDAT").
#include "engine/BoxScanner.h"
#include "engine/DateTime.h"
#include "engine/RecordedTimeConverter.h"
#include "engine/SensorSamples.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace kestrel {

inline constexpr size_t kStoredHeaderSize = 28;
inline constexpr size_t kSensorRecordSize = 124;
// Offsets in the data a "udat" callback receives.
inline constexpr size_t kRecordCountOffset = 28;
inline constexpr size_t kFirstRecordOffset = 30;

// The recorder's decimal text as the standard text-to-double conversion reads it in the "C"
// locale: leading white space, an optional sign, digits with at most one decimal point;
// reading stops at the first other character and no number gives 0. Nothing past `width`
// is read.
double TextToDouble(const uint8_t* field, size_t width);
// A ddmm.mmmm (or dddmm.mmmm) text to signed decimal degrees; a zero sign byte is south/west.
double DegreesFromText(const uint8_t* field, size_t width, uint8_t signByte);

// Decodes the header chain at the start of `data` into `out` (the last header of a chain
// wins). False, with all thresholds -1.0 and the rest zero, when a header is invalid.
bool DecodeStoredHeader(std::span<const uint8_t> data, RecorderHeader& out);

// The three parts of one record; `record` points at its 124 bytes.
GpsSample DecodeGpsPart(const uint8_t* record, int32_t index);
GSensorSample DecodeGSensorPart(const uint8_t* record, int32_t index);
ObdSample DecodeObdPart(const uint8_t* record, int32_t index);

// How many whole records the data holds: the stored count, cut to the records present.
size_t RecordsPresent(std::span<const uint8_t> data);

// Walk callbacks. DecodeHeader fills out.Header; DecodeRecords appends to out.Gps,
// out.GSensor and out.Obd and leaves the number of records in the scanner's RecordCount;
// DecodeGpsOnly appends the GPS part of every record to out.Gps.
bool DecodeHeader(BoxScanner& scanner, std::span<const uint8_t> data, const ScanOutputs& out);
bool DecodeRecords(BoxScanner& scanner, std::span<const uint8_t> data, const ScanOutputs& out);
bool DecodeGpsOnly(BoxScanner& scanner, std::span<const uint8_t> data, const ScanOutputs& out);

} // namespace kestrel
