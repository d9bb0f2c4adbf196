#pragma once
// Shows the presenter's samples in the video window: the picture at the size the window
// shows it at, turned over when the destination is mirrored, with the mixer's alpha bitmap
// blended in. Also reads the current picture back for snapshots.
#include "platform/VideoWindow.h"
#include "playback/FrameConverter.h"
#include "playback/MediaResult.h"
#include "playback/VideoSample.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace kestrel::playback {

// A picture the mixer blends over the video: pixels equal to the colour key are left out,
// the others are mixed in with the given alpha. The destination is normalised to the video
// (0..1 on both axes).
struct AlphaBitmap {
    std::vector<uint8_t> Pixels; // 32-bit blue, green, red, unused; top row first
    int Width = 0;
    int Height = 0;
    uint32_t ColorKey = 0; // 0x00RRGGBB
    float Alpha = 1.0f;
    float DestLeft = 0.0f;
    float DestTop = 0.0f;
    float DestRight = 1.0f;
    float DestBottom = 1.0f;
};

class PresentEngine {
  public:
    void SetVideoWindow(VideoWindow* window);
    VideoWindow* GetVideoWindow() const;
    void SetDestinationRect(const Rect& rect);
    Rect DestinationRect() const;
    // The movie's display size: the size of a picture the window takes at its own size.
    void SetNativeSize(int width, int height);
    // The size a picture gets in the window at the current destination: the window's shown
    // size, or the display size when the window takes pictures at their own size.
    void TargetSize(int& width, int& height) const;

    void SetAlphaBitmap(AlphaBitmap bitmap);
    void ClearAlphaBitmap();
    bool HasAlphaBitmap() const;

    // Shows `sample` in the destination rectangle, made again from its frame when it is not
    // at the target size (the destination changed since it was made). Without a window or
    // with an empty destination nothing is drawn and the call succeeds.
    MediaResult PresentSample(const VideoSample& sample);

    // `sample` scaled to width x height as a bottom-up 32-bit bitmap (the caller's buffer
    // is resized to width x height x 4), from its decoded frame when it has one.
    static MediaResult CaptureSample(const VideoSample& sample, int width, int height,
                                     std::vector<uint8_t>& out);

    // Blends `bitmap` into the picture in `pixels` (exposed for tests).
    static void BlendBitmap(uint8_t* pixels, int width, int height, int stride,
                            const AlphaBitmap& bitmap);

  private:
    void TargetSizeLocked(const Rect& destination, int& width, int& height) const;

    // Guards every member below. Taken by the presenting thread, which draws into the video
    // window while holding it (the window's own lock comes after it), and by the engine's
    // thread to set the destination and the overlay.
    mutable std::mutex lock_;
    VideoWindow* window_ = nullptr;
    Rect destination_;
    int nativeWidth_ = 0;
    int nativeHeight_ = 0;
    FrameConverter converter_; // a sample made again at the target size
    std::vector<uint8_t> fit_; // that picture
    std::optional<AlphaBitmap> bitmap_;
    std::vector<uint8_t> scratch_; // the composed picture when it differs from the sample
};

} // namespace kestrel::playback
