#pragma once
// One video surface of the presenter's pool: a picture buffer at the size the window shows it
// at, the decoded frame it was made from (for a capture at the movie's own size and for a
// picture placed anew), the media time and duration of the frame it holds, and the pool
// generation it belongs to.
#include <cstdint>
#include <memory>
#include <vector>

struct AVFrame;

namespace kestrel::playback {

struct VideoSample {
    std::vector<uint8_t> Pixels; // 32-bit blue, green, red, unused; top row first
    int Width = 0;
    int Height = 0;
    int Stride = 0;
    int64_t Time = 0;     // 100 ns
    int64_t Duration = 0; // 100 ns
    uint32_t Token = 0;   // the pool generation that made it
    // The decoded frame the pixels were made from; none before the first conversion.
    std::shared_ptr<const AVFrame> Source;

    void Allocate(int width, int height) {
        Width = width;
        Height = height;
        Stride = width * 4;
        // Opaque black: the unused byte is 0xFF as the platform's cleared surfaces are.
        Pixels.assign(static_cast<size_t>(Stride) * static_cast<size_t>(height), 0);
        for (size_t i = 3; i < Pixels.size(); i += 4)
            Pixels[i] = 0xFF;
    }
};

using SamplePtr = std::shared_ptr<VideoSample>;

} // namespace kestrel::playback
