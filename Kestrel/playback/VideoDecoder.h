#pragma once
// Decodes the video stream. With hardware decoding asked for it tries VA-API and quietly
// decodes in software when that is not available.
#include "playback/MediaResult.h"

#include <cstdint>

struct AVBufferRef;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct AVStream;

namespace kestrel::playback {

class VideoDecoder {
  public:
    VideoDecoder() = default;
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    // kNoDecoder when FFmpeg has no decoder for the stream.
    MediaResult Open(const AVStream* stream, bool hardware);
    bool UsesHardware() const { return hardware_ != nullptr; }

    // Feeds one packet; none drains the decoder at the end of the stream.
    MediaResult Send(const AVPacket* packet);
    // The next decoded picture in system memory: kOk, kNeedMoreInput, or kFalse when
    // drained.
    MediaResult Receive(AVFrame* frame);
    void Flush();
    // Thinning: leave out pictures nothing else refers to.
    void SetThinning(bool thin);

    // The picture's media time and duration in 100 ns units.
    int64_t FrameTime(const AVFrame* frame) const;
    int64_t FrameDuration(const AVFrame* frame) const;

  private:
    const AVStream* stream_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVBufferRef* hardware_ = nullptr;
    AVFrame* transfer_ = nullptr;
    int64_t defaultDuration_ = 333333;
};

} // namespace kestrel::playback
