#pragma once
// The recorder's stored header (28 bytes) and record (124 bytes), byte by byte.
#include "mkrec/RecorderScript.h"

#include <cstddef>
#include <cstdint>

namespace kestrel::mkrec {

inline constexpr size_t kHeaderBytes = 28;
inline constexpr size_t kRecordBytes = 124;

// Byte offsets inside a record.
namespace record_offset {
inline constexpr size_t Lead = 0, GpsStatus = 5, Latitude = 6, LatitudeSign = 15, Longitude = 16,
                        LongitudeSign = 26, Speed = 27, DateTime = 31, TimeOffset = 44,
                        AccelX = 57, AccelY = 62, AccelZ = 67, Manual = 72, Axis = 73, Event = 74,
                        SecondEvent = 75, Parking = 76, Warning = 77, Status = 78, Words = 82,
                        Camera = 122, CameraNibbles = 123;
}

// Byte offsets inside a stored header.
namespace header_offset {
inline constexpr size_t Thresholds = 0, Mode = 16, VersionSuffix = 17, Major = 18, Minor = 19,
                        Build = 21, Picture = 23, Byte24 = 24, RecordingType = 25,
                        VehicleData = 26, Byte27 = 27;
}

// Writes every byte of the record; bytes the viewer does not read get fixed filler.
void EncodeRecord(const RecordValues& values, uint8_t out[kRecordBytes]);
void EncodeHeader(const HeaderValues& values, uint8_t out[kHeaderBytes]);

// The field texts and bytes back from stored bytes (filler is not kept).
RecordValues ReadRecord(const uint8_t in[kRecordBytes]);
HeaderValues ReadHeader(const uint8_t in[kHeaderBytes]);

} // namespace kestrel::mkrec
