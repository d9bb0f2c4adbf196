#include "mkrec/RecordEncoder.h"

#include <algorithm>
#include <cstring>

namespace kestrel::mkrec {

namespace {

// Left-aligned text in a field of fixed width: padded with spaces, cut at the width.
void PutText(uint8_t* out, size_t width, const std::string& text) {
    std::memset(out, ' ', width);
    std::memcpy(out, text.data(), std::min(width, text.size()));
}

std::string GetText(const uint8_t* in, size_t width) {
    return std::string(reinterpret_cast<const char*>(in), width);
}

} // namespace

void EncodeRecord(const RecordValues& v, uint8_t out[kRecordBytes]) {
    namespace o = record_offset;
    std::memset(out, 0, kRecordBytes);
    PutText(out + o::Lead, 5, v.Lead);
    out[o::GpsStatus] = static_cast<uint8_t>(v.GpsStatus);
    PutText(out + o::Latitude, 9, v.Latitude);
    out[o::LatitudeSign] = v.LatitudeSign;
    PutText(out + o::Longitude, 10, v.Longitude);
    out[o::LongitudeSign] = v.LongitudeSign;
    PutText(out + o::Speed, 4, v.Speed);
    PutText(out + o::DateTime, 12, v.DateTime);
    out[43] = ',';
    PutText(out + o::TimeOffset, 3, v.TimeOffset);
    PutText(out + 47, 10, "0000000000");
    PutText(out + o::AccelX, 5, v.AccelX);
    PutText(out + o::AccelY, 5, v.AccelY);
    PutText(out + o::AccelZ, 5, v.AccelZ);
    out[o::Manual] = static_cast<uint8_t>(v.Manual);
    out[o::Axis] = static_cast<uint8_t>(v.Axis);
    out[o::Event] = static_cast<uint8_t>(v.Event);
    out[o::SecondEvent] = static_cast<uint8_t>(v.SecondEvent);
    out[o::Parking] = static_cast<uint8_t>(v.Parking);
    out[o::Warning] = static_cast<uint8_t>(v.Warning);
    std::copy(v.Status.begin(), v.Status.end(), out + o::Status);
    for (size_t i = 0; i < v.Words.size(); ++i) {
        out[o::Words + 2 * i] = static_cast<uint8_t>(v.Words[i] & 0xFF);
        out[o::Words + 2 * i + 1] = static_cast<uint8_t>(v.Words[i] >> 8);
    }
    out[o::Camera] = v.Camera;
    out[o::CameraNibbles] = v.CameraNibbles;
}

RecordValues ReadRecord(const uint8_t in[kRecordBytes]) {
    namespace o = record_offset;
    RecordValues v;
    v.Lead = GetText(in + o::Lead, 5);
    v.GpsStatus = static_cast<char>(in[o::GpsStatus]);
    v.Latitude = GetText(in + o::Latitude, 9);
    v.LatitudeSign = in[o::LatitudeSign];
    v.Longitude = GetText(in + o::Longitude, 10);
    v.LongitudeSign = in[o::LongitudeSign];
    v.Speed = GetText(in + o::Speed, 4);
    v.DateTime = GetText(in + o::DateTime, 12);
    v.TimeOffset = GetText(in + o::TimeOffset, 3);
    v.AccelX = GetText(in + o::AccelX, 5);
    v.AccelY = GetText(in + o::AccelY, 5);
    v.AccelZ = GetText(in + o::AccelZ, 5);
    v.Manual = static_cast<char>(in[o::Manual]);
    v.Axis = static_cast<char>(in[o::Axis]);
    v.Event = static_cast<char>(in[o::Event]);
    v.SecondEvent = static_cast<char>(in[o::SecondEvent]);
    v.Parking = static_cast<char>(in[o::Parking]);
    v.Warning = static_cast<char>(in[o::Warning]);
    std::copy(in + o::Status, in + o::Status + 4, v.Status.begin());
    for (size_t i = 0; i < v.Words.size(); ++i) {
        v.Words[i] = static_cast<uint16_t>(in[o::Words + 2 * i] | in[o::Words + 2 * i + 1] << 8);
    }
    v.Camera = in[o::Camera];
    v.CameraNibbles = in[o::CameraNibbles];
    return v;
}

void EncodeHeader(const HeaderValues& v, uint8_t out[kHeaderBytes]) {
    namespace o = header_offset;
    for (size_t i = 0; i < 4; ++i) PutText(out + o::Thresholds + 4 * i, 4, v.Thresholds[i]);
    out[o::Mode] = static_cast<uint8_t>(v.Mode);
    out[o::VersionSuffix] = static_cast<uint8_t>(v.VersionSuffix);
    out[o::Major] = static_cast<uint8_t>(v.Major);
    PutText(out + o::Minor, 2, v.Minor);
    PutText(out + o::Build, 2, v.Build);
    out[o::Picture] = static_cast<uint8_t>(v.Picture);
    out[o::Byte24] = v.Byte24;
    out[o::RecordingType] = static_cast<uint8_t>(v.RecordingType);
    out[o::VehicleData] = static_cast<uint8_t>(v.VehicleData);
    out[o::Byte27] = v.Byte27;
}

HeaderValues ReadHeader(const uint8_t in[kHeaderBytes]) {
    namespace o = header_offset;
    HeaderValues v;
    for (size_t i = 0; i < 4; ++i) v.Thresholds[i] = GetText(in + o::Thresholds + 4 * i, 4);
    v.Mode = static_cast<char>(in[o::Mode]);
    v.VersionSuffix = static_cast<char>(in[o::VersionSuffix]);
    v.Major = static_cast<char>(in[o::Major]);
    v.Minor = GetText(in + o::Minor, 2);
    v.Build = GetText(in + o::Build, 2);
    v.Picture = static_cast<char>(in[o::Picture]);
    v.Byte24 = in[o::Byte24];
    v.RecordingType = static_cast<char>(in[o::RecordingType]);
    v.VehicleData = static_cast<char>(in[o::VehicleData]);
    v.Byte27 = in[o::Byte27];
    return v;
}

} // namespace kestrel::mkrec
