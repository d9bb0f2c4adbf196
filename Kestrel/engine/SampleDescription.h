#pragma once
// What a track's sample description says about decoding its samples. Encoders write the
// rate figures of each file's own media into the description (a "btrt" box, the bit-rate
// fields of the audio decoder configuration); those describe the file, not the stream, so
// two recordings of one camera differ there while their streams are the same.
#include <cstdint>
#include <vector>

namespace kestrel {

// The "stsd" payload with every per-file rate figure left out: "btrt" boxes dropped, the
// maximum and average bit rate of an "esds" decoder configuration zeroed. Parts it does not
// understand are kept as they stand, so that they still have to match byte for byte.
std::vector<uint8_t> DecodingDescription(const std::vector<uint8_t>& stsdPayload);

// True when the two "stsd" payloads describe the same stream: codec, picture size, decoder
// configuration records, sample rate and channels all equal.
bool SameDecodingDescription(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

} // namespace kestrel
