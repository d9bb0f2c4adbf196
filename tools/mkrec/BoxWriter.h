#pragma once
// Builds boxes (32-bit big-endian size, four-character type, payload) in memory.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kestrel::mkrec {

class BoxWriter {
public:
    void U8(uint8_t v) { bytes_.push_back(v); }
    void U16(uint16_t v);
    void U32(uint32_t v);
    void FourCC(std::string_view code); // exactly four characters
    void Zeros(size_t count) { bytes_.insert(bytes_.end(), count, 0); }
    void Bytes(const uint8_t* data, size_t size) { bytes_.insert(bytes_.end(), data, data + size); }
    void Bytes(const std::vector<uint8_t>& data) { Bytes(data.data(), data.size()); }
    void Text(std::string_view text) { Bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size()); }

    // A box is opened with its type and closed once its payload is written; closing
    // writes the size. Boxes nest.
    void Begin(std::string_view type);
    void End();
    // A "full box": version 0 and the given flags after the type.
    void BeginFull(std::string_view type, uint32_t flags = 0);

    size_t Size() const { return bytes_.size(); }
    const std::vector<uint8_t>& Data() const { return bytes_; }
    std::vector<uint8_t> Take() { return std::move(bytes_); }

private:
    std::vector<uint8_t> bytes_;
    std::vector<size_t> open_;
};

void PutU32(uint8_t* out, uint32_t v);
uint32_t GetU32(const uint8_t* in);
uint16_t GetU16(const uint8_t* in);

} // namespace kestrel::mkrec
