#pragma once
// A picture that is expensive to code: a noise texture drifting across the whole frame
// with fresh noise on top in every frame, so that motion search finds the movement but
// every block still carries a full residual. The frame number in large digits and the
// machine-readable frame pattern are painted on top as in the calm scene.
#include "mkrec/VideoScene.h"

#include <cstdint>
#include <vector>

namespace kestrel::mkrec {

// Bits per pixel and picture the encoder is asked for with a dense scene: about 12 Mbit/s
// for 1920x1080 at 30 pictures a second.
inline constexpr double kDenseBitsPerPixel = 0.193;

class DenseScene {
  public:
    DenseScene(int width, int height);
    // Paints frame `frame`; the texture's drift follows `sceneFrame`.
    void Paint(const PicturePlanes& picture, int frame, int sceneFrame) const;

  private:
    int width_;
    int height_;
    std::vector<uint8_t> luma_;   // the texture, one byte per pixel
    std::vector<uint8_t> chroma_; // the texture's colour, one byte per 2x2 pixels
};

} // namespace kestrel::mkrec
