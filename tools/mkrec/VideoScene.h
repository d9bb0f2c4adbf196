#pragma once
// The picture of one generated frame: a calm moving gradient, the frame number in large
// digits, and the machine-readable frame pattern on top.
#include <cstdint>

namespace kestrel::mkrec {

struct PicturePlanes {
    uint8_t* Y = nullptr;
    uint8_t* U = nullptr;
    uint8_t* V = nullptr;
    int StrideY = 0;
    int StrideU = 0;
    int StrideV = 0;
    int Width = 0;  // even
    int Height = 0; // even
};

// Paints a 4:2:0 picture for frame `frame` of the movie; the background moves with
// `sceneFrame`, the frame's place in the whole drive.
void PaintScene(const PicturePlanes& picture, int frame, int sceneFrame);

// What every generated picture carries over its background: the frame number in large
// digits and the frame pattern, on neutral chroma.
void PaintOverlay(const PicturePlanes& picture, int frame);

} // namespace kestrel::mkrec
