#include "mkrec/BoxWriter.h"

#include <stdexcept>

namespace kestrel::mkrec {

void PutU32(uint8_t* out, uint32_t v) {
    out[0] = static_cast<uint8_t>(v >> 24);
    out[1] = static_cast<uint8_t>(v >> 16);
    out[2] = static_cast<uint8_t>(v >> 8);
    out[3] = static_cast<uint8_t>(v);
}

uint32_t GetU32(const uint8_t* in) {
    return static_cast<uint32_t>(in[0]) << 24 | static_cast<uint32_t>(in[1]) << 16 |
           static_cast<uint32_t>(in[2]) << 8 | in[3];
}

uint16_t GetU16(const uint8_t* in) { return static_cast<uint16_t>(in[0] << 8 | in[1]); }

void BoxWriter::U16(uint16_t v) {
    U8(static_cast<uint8_t>(v >> 8));
    U8(static_cast<uint8_t>(v));
}

void BoxWriter::U32(uint32_t v) {
    uint8_t b[4];
    PutU32(b, v);
    Bytes(b, 4);
}

void BoxWriter::FourCC(std::string_view code) {
    if (code.size() != 4) throw std::logic_error("a box type has four characters");
    Text(code);
}

void BoxWriter::Begin(std::string_view type) {
    open_.push_back(bytes_.size());
    U32(0);
    FourCC(type);
}

void BoxWriter::BeginFull(std::string_view type, uint32_t flags) {
    Begin(type);
    U32(flags & 0x00FFFFFF);
}

void BoxWriter::End() {
    if (open_.empty()) throw std::logic_error("no box is open");
    const size_t start = open_.back();
    open_.pop_back();
    const size_t size = bytes_.size() - start;
    if (size > UINT32_MAX) throw std::runtime_error("a box is larger than 4 GiB");
    PutU32(bytes_.data() + start, static_cast<uint32_t>(size));
}

} // namespace kestrel::mkrec
