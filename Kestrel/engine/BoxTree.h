#pragma once
// The whole-box model of a movie: one BoxNode per box, small leaf payloads copied into
// memory, and the two big boxes ("mdat" with the media, "udat" with the recorder's data)
// left in the file and referenced by position. The list export reads it and the joiner
// merges and writes it.
#include "engine/DateTime.h"
#include "platform/FileMapping.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

class KnownBoxTypes;

// Layout of the recorder's "udat" payload: "CSNDAT", the 28-byte header, the 16-bit record
// count, the records, and the 18-byte trailer that starts with "CSNEND".
inline constexpr uint64_t kUdatTagSize = 6;
inline constexpr uint64_t kUdatHeaderSize = 28;
inline constexpr uint64_t kUdatRecordsOffset = kUdatTagSize + kUdatHeaderSize + 2; // 36
inline constexpr uint64_t kUdatRecordSize = 124;
inline constexpr uint64_t kUdatTrailerSize = 18;
inline constexpr uint64_t kUdatMaxRecords = 0xFFFF; // what the 16-bit count can hold

struct BoxNode {
    int Depth = 0;
    std::optional<std::vector<uint8_t>> Payload; // the copied payload, or none
    std::vector<BoxNode> Children;
    int Raw = 0; // 1: no parsed children, the payload is data
    char Name[5] = {};
    const platform::FileMapping* Source = nullptr; // the file the box was read from
    uint64_t PayloadSize = 0;
    uint64_t PayloadSizeOriginal = 0;
    uint64_t PayloadOffset = 0;
    uint64_t PayloadOffsetOriginal = 0;
    uint64_t CopiedSize = 0;
    // "udat" only
    uint64_t RecordBytes = 0;       // RecordCount x 124
    uint64_t UdatTotal = 0;         // the payload as written: tag, header, count, records, trailer
    uint64_t RecordCount = 0;       // as the box states it
    uint64_t MergedRecordCount = 0; // 0 until merged
    std::array<uint8_t, kUdatTrailerSize> Trailer{}; // written after the records
    // Other files' "mdat" or "udat" boxes appended by merging, in order.
    std::vector<const BoxNode*> Continuation;

    bool Is(const char* type) const;
};

struct BoxTree {
    BoxTree() = default;
    BoxTree(const BoxTree&) = delete; // nodes point at the tree's own file
    BoxTree& operator=(const BoxTree&) = delete;

    platform::FileMapping File;
    std::filesystem::path Path;
    uint64_t Size = 0;
    uint64_t Granularity = 0;
    BoxNode Root;
    // Nodes of these types, in pre-order.
    std::vector<BoxNode*> Mdat, Udat, Stsz, Stco, Mdhd, Stss, Stts, Mvhd, Tkhd, Elst, Stsd;
};

// Loads the file's boxes. With `copy` set the payloads of small leaf boxes are copied (a
// tree that is to be merged and written needs them); without it they are read from the file
// when asked for. None when the file cannot be opened or mapped or its top-level boxes do
// not fit the file; `error` (when given) then says why.
std::unique_ptr<BoxTree> LoadBoxTree(const std::filesystem::path& path, bool copy,
                                     std::string* error = nullptr);
std::unique_ptr<BoxTree> LoadBoxTree(const std::filesystem::path& path, bool copy,
                                     const KnownBoxTypes& types, std::string* error = nullptr);
// Clears the lists, frees every node and closes the file.
void FreeBoxTree(std::unique_ptr<BoxTree>& tree);

// A raw node: payload size + 8; otherwise 8 + the sum of its children's sizes.
uint64_t NodeSize(const BoxNode& node);

// Reads `length` payload bytes at `offset` from the node's copy or, without one, from its
// file. False when the range is not inside the payload or cannot be read.
bool ReadPayload(const BoxNode& node, uint64_t offset, void* out, size_t length);

struct VideoSize {
    int Width = -1;
    int Height = -1;
};
// The picture size of the first sample description; -1 for both without one.
VideoSize VideoSizeOf(const BoxTree& tree);
// The sample count of the first time-to-sample entry; -1 without one.
int64_t FrameCountOf(const BoxTree& tree);
// 90000 over the first sample delta; -1.0 without one (or with a zero delta).
double FrameRateOf(const BoxTree& tree);
// The local date and time of the first recorder record. True when the recorder's data was
// found; `out` is then all zero when it holds no record.
bool FirstRecordTime(const BoxTree& tree, DateTime& out);

} // namespace kestrel
