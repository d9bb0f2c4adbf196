#include "playback/PresentEngine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace kestrel::playback {

void PresentEngine::SetVideoWindow(VideoWindow* window) {
    std::lock_guard lock(lock_);
    window_ = window;
}

VideoWindow* PresentEngine::GetVideoWindow() const {
    std::lock_guard lock(lock_);
    return window_;
}

void PresentEngine::SetDestinationRect(const Rect& rect) {
    std::lock_guard lock(lock_);
    destination_ = rect;
}

Rect PresentEngine::DestinationRect() const {
    std::lock_guard lock(lock_);
    return destination_;
}

void PresentEngine::SetNativeSize(int width, int height) {
    std::lock_guard lock(lock_);
    nativeWidth_ = width;
    nativeHeight_ = height;
}

void PresentEngine::TargetSize(int& width, int& height) const {
    std::lock_guard lock(lock_);
    TargetSizeLocked(destination_, width, height);
}

// Called with the lock held.
void PresentEngine::TargetSizeLocked(const Rect& destination, int& width, int& height) const {
    width = 0;
    height = 0;
    Rect dest = destination;
    if (dest.Left > dest.Right)
        std::swap(dest.Left, dest.Right);
    if (dest.Top > dest.Bottom)
        std::swap(dest.Top, dest.Bottom);
    if (window_ != nullptr && !dest.IsEmpty())
        window_->ShownSize(dest, width, height);
    if (width <= 0 || height <= 0) {
        width = nativeWidth_;
        height = nativeHeight_;
    }
}

void PresentEngine::SetAlphaBitmap(AlphaBitmap bitmap) {
    std::lock_guard lock(lock_);
    bitmap_ = std::move(bitmap);
}

void PresentEngine::ClearAlphaBitmap() {
    std::lock_guard lock(lock_);
    bitmap_.reset();
}

bool PresentEngine::HasAlphaBitmap() const {
    std::lock_guard lock(lock_);
    return bitmap_.has_value();
}

void PresentEngine::BlendBitmap(uint8_t* pixels, int width, int height, int stride,
                                const AlphaBitmap& bitmap) {
    if (bitmap.Width <= 0 || bitmap.Height <= 0 ||
        bitmap.Pixels.size() < static_cast<size_t>(bitmap.Width) * bitmap.Height * 4) {
        return;
    }
    const auto edge = [](float v, int size) {
        return std::clamp(static_cast<int>(std::lround(v * static_cast<float>(size))), 0, size);
    };
    const int x0 = edge(bitmap.DestLeft, width), x1 = edge(bitmap.DestRight, width);
    const int y0 = edge(bitmap.DestTop, height), y1 = edge(bitmap.DestBottom, height);
    if (x1 <= x0 || y1 <= y0)
        return;
    const int a = std::clamp(static_cast<int>(std::lround(bitmap.Alpha * 256.0f)), 0, 256);
    const uint8_t keyB = static_cast<uint8_t>(bitmap.ColorKey & 0xFF);
    const uint8_t keyG = static_cast<uint8_t>((bitmap.ColorKey >> 8) & 0xFF);
    const uint8_t keyR = static_cast<uint8_t>((bitmap.ColorKey >> 16) & 0xFF);
    for (int y = y0; y < y1; ++y) {
        const int sy = static_cast<int>(static_cast<int64_t>(y - y0) * bitmap.Height / (y1 - y0));
        const uint8_t* srcRow = bitmap.Pixels.data() + static_cast<size_t>(sy) * bitmap.Width * 4;
        uint8_t* dstRow = pixels + static_cast<size_t>(y) * static_cast<size_t>(stride);
        for (int x = x0; x < x1; ++x) {
            const int sx =
                static_cast<int>(static_cast<int64_t>(x - x0) * bitmap.Width / (x1 - x0));
            const uint8_t* s = srcRow + static_cast<size_t>(sx) * 4;
            if (s[0] == keyB && s[1] == keyG && s[2] == keyR)
                continue;
            uint8_t* d = dstRow + static_cast<size_t>(x) * 4;
            for (int c = 0; c < 3; ++c)
                d[c] = static_cast<uint8_t>((s[c] * a + d[c] * (256 - a)) >> 8);
        }
    }
}

MediaResult PresentEngine::PresentSample(const VideoSample& sample) {
    std::lock_guard lock(lock_);
    if (window_ == nullptr)
        return kOk;
    Rect dest = destination_;
    const bool mirrorX = dest.Left > dest.Right;
    const bool mirrorY = dest.Top > dest.Bottom;
    if (mirrorX)
        std::swap(dest.Left, dest.Right);
    if (mirrorY)
        std::swap(dest.Top, dest.Bottom);
    if (dest.IsEmpty() || sample.Pixels.empty())
        return kOk;

    VideoPicture picture{sample.Pixels.data(), sample.Width, sample.Height, sample.Stride,
                         sample.Time};
    // A sample made for another placement (the window changed size, a still shown again) is
    // made again from its frame at the size the window now shows it at.
    int width = 0;
    int height = 0;
    TargetSizeLocked(dest, width, height);
    if (sample.Source && width > 0 && height > 0 &&
        (width != sample.Width || height != sample.Height)) {
        fit_.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
        if (converter_.Convert(*sample.Source, width, height, fit_.data(), width * 4))
            picture = VideoPicture{fit_.data(), width, height, width * 4, sample.Time};
    }
    if (mirrorX || mirrorY || bitmap_) {
        const size_t rowBytes = static_cast<size_t>(picture.Width) * 4;
        scratch_.resize(rowBytes * static_cast<size_t>(picture.Height));
        for (int y = 0; y < picture.Height; ++y) {
            const int sy = mirrorY ? picture.Height - 1 - y : y;
            const uint8_t* src = picture.Pixels + static_cast<size_t>(sy) * picture.Stride;
            uint8_t* dst = scratch_.data() + static_cast<size_t>(y) * rowBytes;
            if (!mirrorX) {
                std::memcpy(dst, src, rowBytes);
                continue;
            }
            for (int x = 0; x < picture.Width; ++x) {
                std::memcpy(dst + static_cast<size_t>(x) * 4,
                            src + static_cast<size_t>(picture.Width - 1 - x) * 4, 4);
            }
        }
        if (bitmap_)
            BlendBitmap(scratch_.data(), picture.Width, picture.Height, static_cast<int>(rowBytes),
                        *bitmap_);
        picture.Pixels = scratch_.data();
        picture.Stride = static_cast<int>(rowBytes);
    }
    window_->PresentPicture(picture, dest);
    return kOk;
}

MediaResult PresentEngine::CaptureSample(const VideoSample& sample, int width, int height,
                                         std::vector<uint8_t>& out) {
    if (width <= 0 || height <= 0 || sample.Pixels.empty())
        return kInvalidArg;
    out.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
    if (sample.Source) {
        // From the decoded frame: the shown pixels may be smaller than the capture.
        FrameConverter converter;
        return converter.Convert(*sample.Source, width, height,
                                 out.data() + static_cast<size_t>(height - 1) * width * 4,
                                 -width * 4)
                   ? kOk
                   : kFail;
    }
    SwsContext* sws = sws_getContext(sample.Width, sample.Height, AV_PIX_FMT_BGR0, width, height,
                                     AV_PIX_FMT_BGR0, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (sws == nullptr)
        return kOutOfMemory;
    const uint8_t* src[4] = {sample.Pixels.data(), nullptr, nullptr, nullptr};
    const int srcStride[4] = {sample.Stride, 0, 0, 0};
    // Bottom-up: the first output row is the last row of the bitmap's memory.
    uint8_t* dst[4] = {out.data() + static_cast<size_t>(height - 1) * width * 4, nullptr, nullptr,
                       nullptr};
    const int dstStride[4] = {-width * 4, 0, 0, 0};
    const int rows = sws_scale(sws, src, srcStride, 0, sample.Height, dst, dstStride);
    sws_freeContext(sws);
    return rows == height ? kOk : kFail;
}

} // namespace kestrel::playback
