#include "playback/VideoMixer.h"

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace kestrel::playback {

VideoMixer::VideoMixer() : frame_(av_frame_alloc()) {}

VideoMixer::~VideoMixer() {
    av_frame_free(&frame_);
    sws_freeContext(sws_);
}

void VideoMixer::SetOutputSize(int width, int height) {
    std::lock_guard lock(lock_);
    outWidth_ = width;
    outHeight_ = height;
}

void VideoMixer::SetWakeCallback(std::function<void()> wake) {
    std::lock_guard lock(lock_);
    wake_ = std::move(wake);
}

MediaResult VideoMixer::ProcessInput(const AVFrame* frame, int64_t time, int64_t duration) {
    std::lock_guard lock(lock_);
    if (frame_ == nullptr)
        return kOutOfMemory;
    if (holding_)
        return kNotAccepting;
    if (av_frame_ref(frame_, frame) < 0)
        return kOutOfMemory;
    holding_ = true;
    time_ = time;
    duration_ = duration;
    return kOk;
}

MediaResult VideoMixer::ProcessOutput(VideoSample& sample) {
    {
        std::lock_guard lock(lock_);
        if (!holding_)
            return kNeedMoreInput;
        if (outWidth_ <= 0 || outHeight_ <= 0)
            return kInvalidMediaType;
        if (sample.Width != outWidth_ || sample.Height != outHeight_) {
            sample.Allocate(outWidth_, outHeight_);
        }
        sws_ = sws_getCachedContext(
            sws_, frame_->width, frame_->height, static_cast<AVPixelFormat>(frame_->format),
            outWidth_, outHeight_, AV_PIX_FMT_BGR0, SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (sws_ == nullptr)
            return kInvalidMediaType;
        uint8_t* dst[4] = {sample.Pixels.data(), nullptr, nullptr, nullptr};
        const int dstStride[4] = {sample.Stride, 0, 0, 0};
        sws_scale(sws_, frame_->data, frame_->linesize, 0, frame_->height, dst, dstStride);
        sample.Time = time_;
        sample.Duration = duration_;
        av_frame_unref(frame_);
        holding_ = false;
    }
    Wake();
    return kOk;
}

bool VideoMixer::HasInput() const {
    std::lock_guard lock(lock_);
    return holding_;
}

void VideoMixer::Flush() {
    {
        std::lock_guard lock(lock_);
        if (holding_)
            av_frame_unref(frame_);
        holding_ = false;
    }
    Wake();
}

void VideoMixer::NotifySampleFreed() {
    Wake();
}

void VideoMixer::Wake() {
    std::function<void()> wake;
    {
        std::lock_guard lock(lock_);
        wake = wake_;
    }
    if (wake)
        wake();
}

} // namespace kestrel::playback
