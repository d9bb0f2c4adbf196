#pragma once
// Every generated picture carries its own frame number in its top eighth: 16 blocks
// across, most significant bit first; the upper half of a block is white for a 1 and
// black for a 0, its lower half the opposite, so that a picture without the pattern
// does not read as a number.
#include <cstdint>
#include <vector>

namespace kestrel::mkrec {

inline constexpr int kPatternBits = 16;

// Paints the pattern of `frame` (taken modulo 65536) into a luma plane.
void PaintFramePattern(uint8_t* luma, int stride, int width, int height, int frame);

// The frame number of a luma plane, or -1 when the pattern is not readable. Samples the
// centre of each half-block and thresholds at mid-grey, so it survives compression,
// scaling and full- or limited-range conversion.
int DecodeFramePattern(const uint8_t* luma, int stride, int width, int height);

// Luma of packed 8-bit RGB (bytesPerPixel 3 or 4, red first), one byte per pixel.
std::vector<uint8_t> LumaFromRgb(const uint8_t* rgb, int stride, int width, int height,
                                 int bytesPerPixel);

// DecodeFramePattern on packed RGB pixels.
int DecodeFramePatternRgb(const uint8_t* rgb, int stride, int width, int height,
                          int bytesPerPixel);

} // namespace kestrel::mkrec
