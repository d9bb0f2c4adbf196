#include "mkrec/FramePattern.h"

#include <cstdlib>

namespace kestrel::mkrec {

namespace {

constexpr uint8_t kWhite = 235;
constexpr uint8_t kBlack = 16;
constexpr int kMid = 128;
// Both halves must clear mid-grey by this much, in opposite directions.
constexpr int kMargin = 24;

struct Block {
    int x0, x1, y0, y1, y2; // columns [x0, x1); upper half [y0, y1), lower half [y1, y2)
};

Block BlockAt(int bit, int width, int height) {
    const int band = height / 8;
    return {bit * width / kPatternBits, (bit + 1) * width / kPatternBits, 0, band / 2, band};
}

void Fill(uint8_t* luma, int stride, int x0, int x1, int y0, int y1, uint8_t value) {
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) luma[static_cast<size_t>(y) * stride + x] = value;
    }
}

// Mean of a small square around the centre of the rectangle, away from its edges where
// compression and scaling blur.
int CentreMean(const uint8_t* luma, int stride, int x0, int x1, int y0, int y1) {
    const int cx = (x0 + x1) / 2;
    const int cy = (y0 + y1) / 2;
    const int rx = (x1 - x0) / 6;
    const int ry = (y1 - y0) / 6;
    int sum = 0;
    int count = 0;
    for (int y = cy - ry; y <= cy + ry; ++y) {
        for (int x = cx - rx; x <= cx + rx; ++x) {
            sum += luma[static_cast<size_t>(y) * stride + x];
            ++count;
        }
    }
    return sum / count;
}

} // namespace

void PaintFramePattern(uint8_t* luma, int stride, int width, int height, int frame) {
    if (width < kPatternBits || height < 16) return;
    const unsigned value = static_cast<unsigned>(frame) & 0xFFFF;
    for (int bit = 0; bit < kPatternBits; ++bit) {
        const bool one = (value >> (kPatternBits - 1 - bit)) & 1;
        const Block b = BlockAt(bit, width, height);
        Fill(luma, stride, b.x0, b.x1, b.y0, b.y1, one ? kWhite : kBlack);
        Fill(luma, stride, b.x0, b.x1, b.y1, b.y2, one ? kBlack : kWhite);
    }
}

int DecodeFramePattern(const uint8_t* luma, int stride, int width, int height) {
    if (luma == nullptr || width < kPatternBits || height < 16 || stride < width) return -1;
    int value = 0;
    for (int bit = 0; bit < kPatternBits; ++bit) {
        const Block b = BlockAt(bit, width, height);
        const int upper = CentreMean(luma, stride, b.x0, b.x1, b.y0, b.y1);
        const int lower = CentreMean(luma, stride, b.x0, b.x1, b.y1, b.y2);
        const bool one = upper > kMid + kMargin && lower < kMid - kMargin;
        const bool zero = upper < kMid - kMargin && lower > kMid + kMargin;
        if (!one && !zero) return -1;
        value = value << 1 | (one ? 1 : 0);
    }
    return value;
}

std::vector<uint8_t> LumaFromRgb(const uint8_t* rgb, int stride, int width, int height,
                                 int bytesPerPixel) {
    std::vector<uint8_t> luma(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = rgb + static_cast<size_t>(y) * stride;
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = row + static_cast<size_t>(x) * bytesPerPixel;
            // BT.601 weights in fixed point.
            luma[static_cast<size_t>(y) * width + x] =
                static_cast<uint8_t>((77 * p[0] + 150 * p[1] + 29 * p[2] + 128) >> 8);
        }
    }
    return luma;
}

int DecodeFramePatternRgb(const uint8_t* rgb, int stride, int width, int height,
                          int bytesPerPixel) {
    if (rgb == nullptr || (bytesPerPixel != 3 && bytesPerPixel != 4) || width < kPatternBits ||
        height < 16 || stride < width * bytesPerPixel) {
        return -1;
    }
    const std::vector<uint8_t> luma = LumaFromRgb(rgb, stride, width, height, bytesPerPixel);
    return DecodeFramePattern(luma.data(), width, width, height);
}

} // namespace kestrel::mkrec
