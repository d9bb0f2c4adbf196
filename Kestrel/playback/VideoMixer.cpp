#include "playback/VideoMixer.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace kestrel::playback {

VideoMixer::VideoMixer() : frame_(av_frame_alloc()) {}

VideoMixer::~VideoMixer() {
    av_frame_free(&frame_);
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

MediaResult VideoMixer::ProcessOutput(VideoSample& sample, int width, int height) {
    {
        std::lock_guard lock(lock_);
        if (!holding_)
            return kNeedMoreInput;
        if (width <= 0 || height <= 0) {
            width = outWidth_;
            height = outHeight_;
        }
        if (width <= 0 || height <= 0)
            return kInvalidMediaType;
        if (sample.Width != width || sample.Height != height)
            sample.Allocate(width, height);
        if (!converter_.Convert(*frame_, width, height, sample.Pixels.data(), sample.Stride))
            return kInvalidMediaType;
        // The sample keeps the frame: a capture is made from it at the movie's own size and a
        // picture placed anew is made again from it, never from the smaller pixels.
        AVFrame* source = av_frame_alloc();
        if (source == nullptr)
            return kOutOfMemory;
        av_frame_move_ref(source, frame_);
        sample.Source = std::shared_ptr<const AVFrame>(source, [](const AVFrame* f) {
            AVFrame* owned = const_cast<AVFrame*>(f);
            av_frame_free(&owned);
        });
        sample.Time = time_;
        sample.Duration = duration_;
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
