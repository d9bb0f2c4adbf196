#include "mkrec/UdatBox.h"

#include "mkrec/BoxWriter.h"
#include "mkrec/RecordEncoder.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace kestrel::mkrec {

namespace {

constexpr size_t kHeaderStart = 14;
constexpr size_t kChainStep = 36;
constexpr size_t kTagOffset = 32;

bool IsChainTag(const uint8_t* p) {
    return p[0] == '@' && p[1] == 'C' && p[2] == 'S' && p[3] >= 'A' && p[3] <= 'Z';
}

} // namespace

std::vector<uint8_t> BuildUdatBox(const std::vector<HeaderValues>& chain,
                                  const std::vector<RecordValues>& records, bool goodTrailer) {
    if (chain.empty() || chain.size() > kMaxChainedHeaders + 1) {
        throw std::invalid_argument("a udat box holds 1 to 25 headers");
    }
    if (records.size() > 0xFFFF) throw std::invalid_argument("at most 65535 records");
    const size_t recordsEnd = kUdatHead + kRecordBytes * records.size();
    const size_t chainEnd = kHeaderStart + kChainStep * (chain.size() - 1) + kHeaderBytes;
    const size_t body = std::max(recordsEnd, chainEnd);
    std::vector<uint8_t> box(body + kTrailerBytes, 0);

    PutU32(box.data(), static_cast<uint32_t>(box.size()));
    std::memcpy(box.data() + 4, "udat", 4);
    std::memcpy(box.data() + 8, "CSNDAT", 6);
    box[42] = static_cast<uint8_t>(records.size() >> 8);
    box[43] = static_cast<uint8_t>(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        EncodeRecord(records[i], box.data() + kUdatHead + kRecordBytes * i);
    }
    // The chain goes in last: where it overlaps the records, its bytes are what is stored.
    for (size_t i = 0; i < chain.size(); ++i) {
        uint8_t* header = box.data() + kHeaderStart + kChainStep * i;
        EncodeHeader(chain[i], header);
        if (i + 1 < chain.size()) {
            std::memcpy(header + kTagOffset, "@CS", 3);
            header[kTagOffset + 3] = static_cast<uint8_t>('B' + i);
        }
    }
    std::memcpy(box.data() + body, goodTrailer ? "CSNEND" : "CSNENX", 6);
    return box;
}

bool ReadUdatBox(const uint8_t* box, size_t size, UdatContent& out) {
    out = UdatContent{};
    if (size < kUdatHead || std::memcmp(box + 4, "udat", 4) != 0 ||
        std::memcmp(box + 8, "CSNDAT", 6) != 0) {
        return false;
    }
    size_t start = kHeaderStart;
    while (true) {
        out.Headers.push_back(ReadHeader(box + start));
        const size_t tag = start + kTagOffset;
        if (tag + 4 > size || !IsChainTag(box + tag) || start + kChainStep + kHeaderBytes > size) {
            break;
        }
        start += kChainStep;
    }
    out.Count = GetU16(box + 42);
    for (size_t i = 0; i < out.Count; ++i) {
        const size_t at = kUdatHead + kRecordBytes * i;
        if (at + kRecordBytes > size) break;
        out.Records.push_back(ReadRecord(box + at));
    }
    out.GoodTrailer = size >= kTrailerBytes && std::memcmp(box + size - kTrailerBytes, "CSNEND", 6) == 0;
    return true;
}

} // namespace kestrel::mkrec
