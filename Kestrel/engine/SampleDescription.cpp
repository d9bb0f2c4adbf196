#include "engine/SampleDescription.h"

#include <cstring>
#include <optional>
#include <string_view>

namespace kestrel {
namespace {

using Bytes = std::vector<uint8_t>;

uint32_t Get32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
uint16_t Get16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

bool IsType(const uint8_t* p, std::string_view type) {
    return std::memcmp(p, type.data(), 4) == 0;
}

// Where the child boxes of a sample entry start (from the entry's first byte), or none for
// a format whose fixed part is not known here.
std::optional<size_t> ChildrenAt(const uint8_t* entry, size_t size) {
    const uint8_t* format = entry + 4;
    for (std::string_view video : {"avc1", "avc3", "hvc1", "hev1", "mp4v"}) {
        if (IsType(format, video))
            return 86; // header 8, reserved and reference 8, visual fields 70
    }
    for (std::string_view sound : {"mp4a", "sowt", "twos", "lpcm", "ulaw", "alaw"}) {
        if (!IsType(format, sound))
            continue;
        if (size < 18)
            return std::nullopt;
        // The sound fields grow with the description's version.
        switch (Get16(entry + 16)) {
        case 0:
            return 36;
        case 1:
            return 52;
        case 2:
            return 72;
        default:
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// The length of an MPEG-4 descriptor: up to four bytes of seven bits each.
bool ReadDescriptorHeader(const Bytes& d, size_t& at, uint8_t& tag, size_t& length) {
    if (at >= d.size())
        return false;
    tag = d[at++];
    length = 0;
    for (int i = 0; i < 4; ++i) {
        if (at >= d.size())
            return false;
        const uint8_t b = d[at++];
        length = (length << 7) | (b & 0x7f);
        if ((b & 0x80) == 0)
            return length <= d.size() - at;
    }
    return false;
}

// The "esds" payload with the decoder configuration's maximum and average bit rate zeroed;
// unchanged when its descriptors cannot be followed.
Bytes WithoutBitRates(Bytes esds) {
    size_t at = 4; // version and flags
    uint8_t tag = 0;
    size_t length = 0;
    if (!ReadDescriptorHeader(esds, at, tag, length) || tag != 0x03 || length < 3)
        return esds;
    const size_t end = at + length;
    const uint8_t flags = esds[at + 2];
    at += 3;
    if (flags & 0x80)
        at += 2; // the stream it depends on
    if (flags & 0x40) {
        if (at >= end)
            return esds;
        at += 1 + esds[at]; // a URL
    }
    if (flags & 0x20)
        at += 2; // the clock reference stream
    if (at >= end || !ReadDescriptorHeader(esds, at, tag, length) || tag != 0x04 || length < 13 ||
        at + 13 > end) {
        return esds;
    }
    // object type 1, stream type 1, buffer size 3, then the two rates of 4 bytes each
    std::memset(esds.data() + at + 5, 0, 8);
    return esds;
}

// `part` after its length, so that parts cannot run into each other.
void AppendCounted(Bytes& out, const Bytes& part) {
    const auto length = static_cast<uint32_t>(part.size());
    out.insert(out.end(), {static_cast<uint8_t>(length >> 24), static_cast<uint8_t>(length >> 16),
                           static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)});
    out.insert(out.end(), part.begin(), part.end());
}

// The child boxes of a sample entry without their rate figures; none when they do not
// parse as boxes.
std::optional<Bytes> ChildrenWithoutRates(const uint8_t* p, size_t size) {
    Bytes out;
    size_t at = 0;
    while (at < size) {
        if (size - at < 8)
            return std::nullopt;
        const uint32_t boxSize = Get32(p + at);
        if (boxSize < 8 || boxSize > size - at)
            return std::nullopt;
        const uint8_t* box = p + at;
        at += boxSize;
        if (IsType(box + 4, "btrt"))
            continue;
        const Bytes payload = IsType(box + 4, "esds")
                                  ? WithoutBitRates(Bytes(box + 8, box + boxSize))
                                  : Bytes(box + 8, box + boxSize);
        out.insert(out.end(), box + 4, box + 8);
        AppendCounted(out, payload);
    }
    return out;
}

} // namespace

Bytes DecodingDescription(const Bytes& stsd) {
    if (stsd.size() < 8)
        return stsd;
    Bytes out(stsd.begin(), stsd.begin() + 8);
    const uint32_t entries = Get32(stsd.data() + 4);
    size_t at = 8;
    for (uint32_t i = 0; i < entries; ++i) {
        if (stsd.size() - at < 8)
            return stsd;
        const uint32_t size = Get32(stsd.data() + at);
        if (size < 16 || size > stsd.size() - at)
            return stsd;
        const uint8_t* entry = stsd.data() + at;
        const std::optional<size_t> children = ChildrenAt(entry, size);
        std::optional<Bytes> rest;
        if (children && *children <= size)
            rest = ChildrenWithoutRates(entry + *children, size - *children);
        // An entry's own size changes with a dropped "btrt": it is counted anew.
        Bytes canonical;
        if (rest) {
            canonical.assign(entry + 4, entry + *children);
            canonical.insert(canonical.end(), rest->begin(), rest->end());
        } else {
            canonical.assign(entry, entry + size);
        }
        AppendCounted(out, canonical);
        at += size;
    }
    if (at != stsd.size())
        return stsd;
    return out;
}

bool SameDecodingDescription(const Bytes& a, const Bytes& b) {
    return a == b || DecodingDescription(a) == DecodingDescription(b);
}

} // namespace kestrel
