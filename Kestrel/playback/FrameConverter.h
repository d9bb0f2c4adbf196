#pragma once
// Turns a decoded frame into 32-bit blue, green, red, unused pixels at any size in one pass:
// the colour conversion and the scaling together, so that a picture shown smaller than the
// movie costs only the pixels it gets. Keeps its scaler between calls of the same sizes.
// Not thread-safe: each user owns one.
#include <cstdint>

struct AVFrame;
struct SwsContext;

namespace kestrel::playback {

class FrameConverter {
  public:
    FrameConverter() = default;
    ~FrameConverter();
    FrameConverter(const FrameConverter&) = delete;
    FrameConverter& operator=(const FrameConverter&) = delete;

    // Writes `frame` scaled to width x height into `pixels`, rows `stride` bytes apart (a
    // negative stride with `pixels` at the last row writes the picture bottom-up). False
    // when the frame's format cannot be converted or a size is not positive.
    bool Convert(const AVFrame& frame, int width, int height, uint8_t* pixels, int stride);

  private:
    struct Key {
        int SourceWidth = 0;
        int SourceHeight = 0;
        int SourceFormat = -1;
        int Width = 0;
        int Height = 0;
        friend bool operator==(const Key&, const Key&) = default;
    };
    SwsContext* sws_ = nullptr;
    Key key_;
};

} // namespace kestrel::playback
