#pragma once
// Decodes the video stream. With hardware decoding asked for it tries VA-API and quietly
// decodes in software when that is not available.
//
// In software it keeps two decoders of the stream: one with a thread per core, which
// reaches a picture after a seek soonest, and one with a single thread, which plays at the
// normal rate with a quarter less work (frame threads pay for handing pictures between
// them). After a flush the threaded one decodes; once steady playing is asked for, the
// stream moves to the single-threaded one at the next key frame, where neither needs
// anything the other has decoded, as after a seek. The threaded one's last pictures come
// out first.
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
    // Drops what is being decoded; the threaded decoder takes the next pictures.
    void Flush();
    // Thinning: leave out pictures nothing else refers to.
    void SetThinning(bool thin);
    // Playing at the normal rate: the single-threaded decoder takes over at the next key
    // frame. Off again by a flush, or by false (the threaded one then takes over at the
    // next key frame).
    void SetSteady(bool steady);
    bool DecodesSteadily() const { return active_ != nullptr && active_ == single_; }

    // The picture's media time and duration in 100 ns units.
    int64_t FrameTime(const AVFrame* frame) const;
    int64_t FrameDuration(const AVFrame* frame) const;

  private:
    void SwitchAtKeyFrame(const AVPacket* packet);

    const AVStream* stream_ = nullptr;
    AVCodecContext* codec_ = nullptr;    // threaded, or the hardware decoder
    AVCodecContext* single_ = nullptr;   // one thread; none with hardware decoding
    AVCodecContext* active_ = nullptr;   // the one packets go to
    AVCodecContext* retiring_ = nullptr; // the one being drained after a switch
    bool steady_ = false;
    AVBufferRef* hardware_ = nullptr;
    AVFrame* transfer_ = nullptr;
    int64_t defaultDuration_ = 333333;
};

} // namespace kestrel::playback
