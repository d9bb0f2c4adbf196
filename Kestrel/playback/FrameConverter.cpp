#include "playback/FrameConverter.h"

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace kestrel::playback {

FrameConverter::~FrameConverter() {
    sws_freeContext(sws_);
}

bool FrameConverter::Convert(const AVFrame& frame, int width, int height, uint8_t* pixels,
                             int stride) {
    if (width <= 0 || height <= 0 || frame.width <= 0 || frame.height <= 0 || pixels == nullptr)
        return false;
    // Bilinear over the source's footprint: a picture made smaller keeps the fine lines it
    // would lose to point sampling, at little more than the colour conversion's cost.
    // The scaler is made again only when a size or the format changes: the cached lookup of
    // the library starts over on every call for a full-range source, whose format it rewrites.
    const Key key{frame.width, frame.height, frame.format, width, height};
    if (sws_ == nullptr || !(key == key_)) {
        sws_freeContext(sws_);
        sws_ =
            sws_getContext(frame.width, frame.height, static_cast<AVPixelFormat>(frame.format),
                           width, height, AV_PIX_FMT_BGR0, SWS_BILINEAR, nullptr, nullptr, nullptr);
        key_ = key;
    }
    if (sws_ == nullptr)
        return false;
    uint8_t* dst[4] = {pixels, nullptr, nullptr, nullptr};
    const int dstStride[4] = {stride, 0, 0, 0};
    return sws_scale(sws_, frame.data, frame.linesize, 0, frame.height, dst, dstStride) == height;
}

} // namespace kestrel::playback
