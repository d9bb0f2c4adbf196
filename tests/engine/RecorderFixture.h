#pragma once
// Small recorder movies written byte by byte for the engine's tests: just the boxes the
// engine walks (ftyp, mdat, moov with mvhd and the first track's stts, udat) with the
// recorder's header and records as the test asks for them.
#include "../TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace kestrel::fixture {

using Bytes = std::vector<uint8_t>;

inline void Append(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }

inline void AppendText(Bytes& to, const std::string& text) { to.insert(to.end(), text.begin(), text.end()); }

inline void AppendBigEndian32(Bytes& to, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) to.push_back(static_cast<uint8_t>(v >> shift));
}

// A box with the given payload; `sizeField` overrides the size written.
inline Bytes Box(const char* type, const Bytes& payload,
                 std::optional<uint32_t> sizeField = std::nullopt) {
    Bytes box;
    AppendBigEndian32(box, sizeField.value_or(static_cast<uint32_t>(payload.size() + 8)));
    AppendText(box, std::string(type, 4));
    Append(box, payload);
    return box;
}

inline Bytes Filler(size_t n, uint8_t byte = 0) { return Bytes(n, byte); }

// Writes `text` into a field of `width` bytes (padded with spaces; never longer).
inline void Put(uint8_t* at, size_t width, const std::string& text) {
    std::memset(at, ' ', width);
    std::memcpy(at, text.data(), std::min(width, text.size()));
}

struct HeaderText {
    std::string Thresholds[4] = {"1200", "0800", "2000", "0500"};
    char Mode = 'M';
    char Suffix = 'A';
    std::string Version = "10203"; // major digit, minor and build two digits each
    char Picture = 'H';
    char Byte24 = 'x';
    char RecordingType = 'N';
    char VehicleData = '3';
};

inline Bytes EncodeHeader(const HeaderText& h) {
    Bytes out(28, '#');
    for (int i = 0; i < 4; ++i) Put(out.data() + 4 * i, 4, h.Thresholds[i]);
    out[16] = static_cast<uint8_t>(h.Mode);
    out[17] = static_cast<uint8_t>(h.Suffix);
    Put(out.data() + 18, 5, h.Version);
    out[23] = static_cast<uint8_t>(h.Picture);
    out[24] = static_cast<uint8_t>(h.Byte24);
    out[25] = static_cast<uint8_t>(h.RecordingType);
    out[26] = static_cast<uint8_t>(h.VehicleData);
    return out;
}

struct RecordText {
    char GpsStatus = 'A';
    std::string Latitude = "3539.1234";
    uint8_t LatitudeSign = 1;
    std::string Longitude = "13945.6789";
    uint8_t LongitudeSign = 1;
    std::string Speed = "0042";
    std::string DateTime = "240501123456"; // YYMMDDhhmmss
    std::string Offset = "000";
    std::string X = "+0010";
    std::string Y = "-0020";
    std::string Z = "+1000";
    char Manual = 'N';
    char Axis = 'N';
    char Event = 'N';
    char SecondEvent = 'N';
    char Parking = 'N';
    char Warning = 'N';
    uint8_t Status[4] = {'1', '2', '3', '4'};
    uint16_t Words[18] = {};
    uint8_t Camera = 0;
    uint8_t CameraNibbles = 0;
};

inline Bytes EncodeRecord(const RecordText& r) {
    Bytes out(124, '#');
    out[5] = static_cast<uint8_t>(r.GpsStatus);
    Put(out.data() + 6, 9, r.Latitude);
    out[15] = r.LatitudeSign;
    Put(out.data() + 16, 10, r.Longitude);
    out[26] = r.LongitudeSign;
    Put(out.data() + 27, 4, r.Speed);
    Put(out.data() + 31, 12, r.DateTime);
    Put(out.data() + 44, 3, r.Offset);
    Put(out.data() + 57, 5, r.X);
    Put(out.data() + 62, 5, r.Y);
    Put(out.data() + 67, 5, r.Z);
    out[72] = static_cast<uint8_t>(r.Manual);
    out[73] = static_cast<uint8_t>(r.Axis);
    out[74] = static_cast<uint8_t>(r.Event);
    out[75] = static_cast<uint8_t>(r.SecondEvent);
    out[76] = static_cast<uint8_t>(r.Parking);
    out[77] = static_cast<uint8_t>(r.Warning);
    std::memcpy(out.data() + 78, r.Status, 4);
    for (int w = 0; w < 18; ++w) {
        out[82 + 2 * w] = static_cast<uint8_t>(r.Words[w] & 0xFF);
        out[83 + 2 * w] = static_cast<uint8_t>(r.Words[w] >> 8);
    }
    out[122] = r.Camera;
    out[123] = r.CameraNibbles;
    return out;
}

// The "udat" box: tag, header (chain), record count and records, then the trailer.
// `countField` overrides the stored count (-1 keeps the real one).
inline Bytes Udat(const Bytes& header, const std::vector<RecordText>& records,
                  int countField = -1) {
    Bytes payload;
    AppendText(payload, "CSNDAT");
    Append(payload, header);
    const auto count = static_cast<uint16_t>(countField >= 0 ? countField : static_cast<int>(records.size()));
    payload.push_back(static_cast<uint8_t>(count >> 8));
    payload.push_back(static_cast<uint8_t>(count & 0xFF));
    for (const RecordText& r : records) Append(payload, EncodeRecord(r));
    AppendText(payload, "CSNEND");
    Append(payload, Filler(12));
    return Box("udat", payload);
}

inline Bytes Ftyp() {
    Bytes payload;
    AppendText(payload, "qt  ");
    AppendBigEndian32(payload, 0);
    AppendText(payload, "qt  ");
    return Box("ftyp", payload);
}

// A version-0 movie header with the given timescale and duration.
inline Bytes Mvhd(uint32_t timescale, uint32_t duration) {
    Bytes payload(4 + 8, 0);
    AppendBigEndian32(payload, timescale);
    AppendBigEndian32(payload, duration);
    Append(payload, Filler(80));
    return Box("mvhd", payload);
}

inline Bytes Stts(uint32_t delta, uint32_t count = 60) {
    Bytes payload(4, 0);
    AppendBigEndian32(payload, 1);
    AppendBigEndian32(payload, count);
    AppendBigEndian32(payload, delta);
    return Box("stts", payload);
}

// moov with mvhd and one track down to its stts (a "free" box before stts at each level,
// so the walk must skip siblings).
inline Bytes Moov(uint32_t timescale, uint32_t duration, uint32_t sttsDelta) {
    Bytes stbl = Box("stsd", Filler(16));
    Append(stbl, Stts(sttsDelta));
    Bytes minf = Box("vmhd", Filler(12));
    Append(minf, Box("stbl", stbl));
    Bytes mdia = Box("mdhd", Filler(24));
    Append(mdia, Box("minf", minf));
    Bytes trak = Box("tkhd", Filler(84));
    Append(trak, Box("mdia", mdia));
    Bytes moov = Mvhd(timescale, duration);
    Append(moov, Box("trak", trak));
    return Box("moov", moov);
}

inline Bytes Mdat(size_t payloadBytes = 64) { return Box("mdat", Filler(payloadBytes, 0x11)); }

// A whole movie: ftyp, mdat, moov, udat.
struct Movie {
    HeaderText Header;
    std::vector<RecordText> Records = std::vector<RecordText>(3);
    uint32_t Timescale = 1000;
    uint32_t Duration = 2000;
    uint32_t SttsDelta = 3000;

    Bytes Build() const {
        Bytes out = Ftyp();
        Append(out, Mdat());
        Append(out, Moov(Timescale, Duration, SttsDelta));
        Append(out, Udat(EncodeHeader(Header), Records));
        return out;
    }
};

// A temporary folder that also writes fixture files into itself.
class TempFolder : public kestrel::TempFolder {
public:
    std::filesystem::path Write(const std::string& name, const Bytes& bytes) const {
        const std::filesystem::path file = Path() / name;
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        EXPECT_TRUE(out.good()) << file;
        return file;
    }
};

} // namespace kestrel::fixture
