#pragma once
// Tiny movies in the recorder's layout (ftyp, mdat, moov, udat), written byte by byte, for
// the box tree and joiner tests. Every value a test checks is set here.
#include "../TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kestrel::testing {

inline std::string U32(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}
inline std::string U16(uint32_t v) {
    return {static_cast<char>(v >> 8), static_cast<char>(v)};
}
inline std::string Box(const std::string& type, const std::string& payload) {
    return U32(static_cast<uint32_t>(payload.size() + 8)) + type + payload;
}
inline std::string Zeros(size_t n) {
    return std::string(n, '\0');
}

struct MiniMovie {
    uint32_t MediaPayload = 1000; // mdat payload, its 8 leading non-media bytes included
    uint32_t Samples = 4;
    std::vector<uint32_t> Sync = {1, 3};
    uint32_t SampleDelta = 3000;
    uint32_t Records = 2;
    char MediaFill = 'a';  // media byte i is MediaFill + i % 7
    char RecordFill = 'r'; // record r starts with RecordFill + r % 20
    std::string Date = "230501101500";
    uint16_t Width = 640, Height = 360;
    bool Trailer = true;

    // Sample i starts after the 8 leading bytes; the last one takes the remainder.
    uint32_t SampleSize(uint32_t i) const {
        const uint32_t media = MediaPayload - 8;
        return i + 1 < Samples ? media / Samples : media - (Samples - 1) * (media / Samples);
    }
    static constexpr uint32_t kMediaAt = 20 + 8; // after ftyp and the mdat header

    std::string Ftyp() const { return Box("ftyp", "qt  " + U32(0x200) + "qt  "); }
    std::string Mdat() const {
        std::string payload = Zeros(8);
        for (uint32_t i = 0; i + 8 < MediaPayload; ++i)
            payload += static_cast<char>(MediaFill + i % 7);
        return Box("mdat", payload);
    }
    std::string Stbl() const {
        std::string stsd = U32(0) + U32(1) + U32(86) + "avc1" + Zeros(6) + U16(1) + Zeros(16) +
                           U16(Width) + U16(Height) + Zeros(50);
        std::string stss = U32(0) + U32(static_cast<uint32_t>(Sync.size()));
        for (uint32_t s : Sync)
            stss += U32(s);
        std::string stsz = U32(0) + U32(0) + U32(Samples);
        std::string stco = U32(0) + U32(Samples);
        uint32_t offset = kMediaAt + 8;
        for (uint32_t i = 0; i < Samples; ++i) {
            stsz += U32(SampleSize(i));
            stco += U32(offset);
            offset += SampleSize(i);
        }
        return Box("stbl", Box("stsd", stsd) +
                               Box("stts", U32(0) + U32(1) + U32(Samples) + U32(SampleDelta)) +
                               Box("stss", stss) +
                               Box("stsc", U32(0) + U32(1) + U32(1) + U32(1) + U32(1)) +
                               Box("stsz", stsz) + Box("stco", stco));
    }
    uint32_t Duration() const { return Samples * SampleDelta; }
    std::string Moov() const {
        const std::string mvhd =
            U32(0) + U32(0) + U32(0) + U32(90000) + U32(Duration()) + Zeros(80);
        const std::string tkhd =
            U32(1) + U32(0) + U32(0) + U32(1) + U32(0) + U32(Duration()) + Zeros(60);
        const std::string elst = U32(0) + U32(1) + U32(Duration()) + U32(0) + U32(0x10000);
        const std::string mdhd = U32(0) + U32(0) + U32(0) + U32(90000) + U32(Duration()) + U32(0);
        const std::string hdlr = U32(0) + "mhlr" + "vide" + Zeros(12) + "video";
        const std::string minf = Box("vmhd", U32(1) + Zeros(8)) +
                                 Box("dinf", Box("dref", U32(0) + U32(1) + Box("url ", U32(1)))) +
                                 Stbl();
        const std::string mdia = Box("mdhd", mdhd) + Box("hdlr", hdlr) + Box("minf", minf);
        const std::string trak =
            Box("tkhd", tkhd) + Box("edts", Box("elst", elst)) + Box("mdia", mdia);
        return Box("moov", Box("mvhd", mvhd) + Box("trak", trak));
    }
    std::string Record(uint32_t r) const {
        std::string record(124, ' ');
        record[0] = static_cast<char>(RecordFill + r % 20);
        record.replace(31, 12, Date);
        record[44] = '*';
        return record;
    }
    std::string Udat() const {
        std::string header = "0200020002000200M010203HNN2 ";
        header.resize(28, ' ');
        std::string payload = "CSNDAT" + header + U16(Records);
        for (uint32_t r = 0; r < Records; ++r)
            payload += Record(r);
        if (Trailer)
            payload += "CSNEND" + std::string(12, 'z');
        return Box("udat", payload);
    }
    std::string Bytes() const { return Ftyp() + Mdat() + Moov() + Udat(); }
    void Write(const std::filesystem::path& path) const { WriteFile(path, Bytes()); }

    static void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
};

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline uint32_t Get32(const std::string& bytes, size_t at) {
    return (uint32_t{static_cast<uint8_t>(bytes[at])} << 24) |
           (uint32_t{static_cast<uint8_t>(bytes[at + 1])} << 16) |
           (uint32_t{static_cast<uint8_t>(bytes[at + 2])} << 8) |
           static_cast<uint8_t>(bytes[at + 3]);
}


using kestrel::TempFolder;

} // namespace kestrel::testing
