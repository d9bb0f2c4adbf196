#pragma once
// The recorder's "udat" box: "CSNDAT", the header (possibly a chain of headers), the
// record count, the records, and the 18-byte trailer that starts with "CSNEND".
#include "mkrec/RecorderScript.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrel::mkrec {

inline constexpr size_t kUdatHead = 44;    // size, type, tag, header, count
inline constexpr size_t kTrailerBytes = 18;
inline constexpr size_t kMaxChainedHeaders = 24;

struct UdatContent {
    std::vector<HeaderValues> Headers; // the chain in stored order; the viewer uses the last
    uint16_t Count = 0;                // the stored record count
    std::vector<RecordValues> Records; // the records that lie inside the box
    bool GoodTrailer = false;          // the box ends with "CSNEND" and 12 more bytes
};

// Builds the whole box. Each header after the first follows a four-byte tag "@CS" and an
// upper-case letter 32 bytes into the header before it, so from the second header on the
// chain lies over the first records: those records then hold the chain's bytes, as the
// viewer reads them. A bad trailer starts with "CSNENX" instead of "CSNEND".
std::vector<uint8_t> BuildUdatBox(const std::vector<HeaderValues>& chain,
                                  const std::vector<RecordValues>& records, bool goodTrailer);

// Reads a box built by BuildUdatBox (or any box of that form) as the viewer lays it out;
// false when the bytes are not such a box.
bool ReadUdatBox(const uint8_t* box, size_t size, UdatContent& out);

} // namespace kestrel::mkrec
