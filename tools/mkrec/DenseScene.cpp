#include "mkrec/DenseScene.h"

#include "mkrec/FramePattern.h"

#include <algorithm>
#include <cstddef>

namespace kestrel::mkrec {
namespace {

// A small, fast generator: the noise only has to look random to the encoder.
uint32_t NextRandom(uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

std::vector<uint8_t> Noise(size_t count, uint32_t seed, int low, int span) {
    std::vector<uint8_t> noise(count);
    uint32_t state = seed;
    for (uint8_t& v : noise)
        v = static_cast<uint8_t>(low +
                                 static_cast<int>(NextRandom(state) % static_cast<uint32_t>(span)));
    return noise;
}

// Pixels the texture moves per picture, right and down.
constexpr int kDriftX = 3;
constexpr int kDriftY = 2;

} // namespace

DenseScene::DenseScene(int width, int height)
    : width_(width), height_(height),
      luma_(Noise(static_cast<size_t>(width) * static_cast<size_t>(height), 0x2545F491u, 32, 192)),
      chroma_(Noise(static_cast<size_t>(width / 2) * static_cast<size_t>(height / 2), 0x9E3779B9u,
                    64, 128)) {}

void DenseScene::Paint(const PicturePlanes& p, int frame, int sceneFrame) const {
    uint32_t fresh = 0x1234567u + static_cast<uint32_t>(sceneFrame) * 0x9E3779B1u;
    const int shiftX = static_cast<int>(static_cast<int64_t>(sceneFrame) * kDriftX % width_);
    const int shiftY = static_cast<int>(static_cast<int64_t>(sceneFrame) * kDriftY % height_);
    for (int y = 0; y < p.Height; ++y) {
        uint8_t* row = p.Y + static_cast<ptrdiff_t>(y) * p.StrideY;
        const uint8_t* source =
            luma_.data() +
            static_cast<size_t>((y + height_ - shiftY) % height_) * static_cast<size_t>(width_);
        for (int x = 0; x < p.Width; ++x) {
            const int moved = source[(x + width_ - shiftX) % width_];
            const int grain = static_cast<int>(NextRandom(fresh) & 31) - 16;
            row[x] = static_cast<uint8_t>(std::clamp(moved + grain, 16, 235));
        }
    }
    const int cw = width_ / 2;
    const int ch = height_ / 2;
    for (int y = 0; y < p.Height / 2; ++y) {
        uint8_t* u = p.U + static_cast<ptrdiff_t>(y) * p.StrideU;
        uint8_t* v = p.V + static_cast<ptrdiff_t>(y) * p.StrideV;
        const uint8_t* source = chroma_.data() + static_cast<size_t>((y + ch - shiftY / 2) % ch) *
                                                     static_cast<size_t>(cw);
        for (int x = 0; x < p.Width / 2; ++x) {
            const uint8_t c = source[(x + cw - shiftX / 2) % cw];
            u[x] = c;
            v[x] = static_cast<uint8_t>(255 - c);
        }
    }
    PaintOverlay(p, frame);
}

} // namespace kestrel::mkrec
