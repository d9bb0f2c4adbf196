#include "mkrec/VideoScene.h"

#include "mkrec/FramePattern.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace kestrel::mkrec {

namespace {

// Segments a..g of a seven-segment digit, as bits 0..6.
constexpr uint8_t kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

void FillLuma(const PicturePlanes& p, int x0, int y0, int x1, int y1, uint8_t value) {
    x0 = std::clamp(x0, 0, p.Width);
    x1 = std::clamp(x1, 0, p.Width);
    y0 = std::clamp(y0, 0, p.Height);
    y1 = std::clamp(y1, 0, p.Height);
    for (int y = y0; y < y1; ++y) {
        std::fill(p.Y + static_cast<ptrdiff_t>(y) * p.StrideY + x0,
                  p.Y + static_cast<ptrdiff_t>(y) * p.StrideY + x1, value);
    }
}

void DrawDigit(const PicturePlanes& p, int x, int y, int w, int h, int digit) {
    const int t = std::max(h / 10, 1);
    const uint8_t s = kSegments[digit];
    const uint8_t on = 235;
    if (s & 0x01) FillLuma(p, x, y, x + w, y + t, on);                         // a
    if (s & 0x02) FillLuma(p, x + w - t, y, x + w, y + h / 2, on);             // b
    if (s & 0x04) FillLuma(p, x + w - t, y + h / 2, x + w, y + h, on);         // c
    if (s & 0x08) FillLuma(p, x, y + h - t, x + w, y + h, on);                 // d
    if (s & 0x10) FillLuma(p, x, y + h / 2, x + t, y + h, on);                 // e
    if (s & 0x20) FillLuma(p, x, y, x + t, y + h / 2, on);                     // f
    if (s & 0x40) FillLuma(p, x, y + h / 2 - t / 2, x + w, y + h / 2 + t - t / 2, on); // g
}

void DrawNumber(const PicturePlanes& p, int frame) {
    const std::string digits = std::to_string(frame);
    const int h = p.Height / 4;
    const int w = h / 2;
    const int gap = std::max(w / 4, 1);
    const int total = static_cast<int>(digits.size()) * (w + gap) - gap;
    const int x0 = (p.Width - total) / 2;
    const int y0 = p.Height / 2 - h / 4;
    FillLuma(p, x0 - gap, y0 - gap, x0 + total + gap, y0 + h + gap, 16);
    for (size_t i = 0; i < digits.size(); ++i) {
        DrawDigit(p, x0 + static_cast<int>(i) * (w + gap), y0, w, h, digits[i] - '0');
    }
}

} // namespace

void PaintScene(const PicturePlanes& p, int frame, int sceneFrame) {
    // A triangle wave drifting right: smooth, so the encoder spends little on it.
    uint8_t level[512];
    for (int t = 0; t < 512; ++t) level[t] = static_cast<uint8_t>(40 + (t < 256 ? t : 511 - t) * 100 / 255);
    std::vector<int> column(static_cast<size_t>(p.Width));
    for (int x = 0; x < p.Width; ++x) column[static_cast<size_t>(x)] = x * 256 / p.Width;
    const int shift = 512 - sceneFrame % 256 * 2;
    for (int y = 0; y < p.Height; ++y) {
        uint8_t* row = p.Y + static_cast<ptrdiff_t>(y) * p.StrideY;
        const int base = y * 128 / p.Height + shift;
        for (int x = 0; x < p.Width; ++x) row[x] = level[(column[static_cast<size_t>(x)] + base) & 511];
    }
    for (int y = 0; y < p.Height / 2; ++y) {
        uint8_t* u = p.U + static_cast<ptrdiff_t>(y) * p.StrideU;
        uint8_t* v = p.V + static_cast<ptrdiff_t>(y) * p.StrideV;
        for (int x = 0; x < p.Width / 2; ++x) {
            u[x] = static_cast<uint8_t>(108 + y * 40 / (p.Height / 2));
            v[x] = static_cast<uint8_t>(148 - x * 30 / (p.Width / 2));
        }
    }
    PaintOverlay(p, frame);
}

void PaintOverlay(const PicturePlanes& p, int frame) {
    DrawNumber(p, frame);
    PaintFramePattern(p.Y, p.StrideY, p.Width, p.Height, frame);
    // Neutral chroma under the pattern keeps its blocks pure grey levels.
    for (int y = 0; y < (p.Height / 8 + 1) / 2 + 1 && y < p.Height / 2; ++y) {
        std::fill(p.U + static_cast<ptrdiff_t>(y) * p.StrideU, p.U + static_cast<ptrdiff_t>(y) * p.StrideU + p.Width / 2, 128);
        std::fill(p.V + static_cast<ptrdiff_t>(y) * p.StrideV, p.V + static_cast<ptrdiff_t>(y) * p.StrideV + p.Width / 2, 128);
    }
}

} // namespace kestrel::mkrec
