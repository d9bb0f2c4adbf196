#pragma once
// The mixer between the decoder and the presenter: holds at most one decoded frame and,
// when the presenter asks for output, converts it into one of the presenter's samples.
#include "playback/MediaResult.h"
#include "playback/VideoSample.h"

#include <cstdint>
#include <functional>
#include <mutex>

struct AVFrame;
struct SwsContext;

namespace kestrel::playback {

class VideoMixer {
  public:
    VideoMixer();
    ~VideoMixer();
    VideoMixer(const VideoMixer&) = delete;
    VideoMixer& operator=(const VideoMixer&) = delete;

    // The size of the samples it writes.
    void SetOutputSize(int width, int height);
    // Called (without the mixer's lock) whenever it can take input again or a sample came
    // back, so that the streaming side tries again.
    void SetWakeCallback(std::function<void()> wake);

    // Takes a reference to `frame` with its media time and duration (100 ns);
    // kNotAccepting while it still holds a frame.
    MediaResult ProcessInput(const AVFrame* frame, int64_t time, int64_t duration);
    // Converts the held frame into `sample`; kNeedMoreInput when it holds none.
    MediaResult ProcessOutput(VideoSample& sample);
    bool HasInput() const;
    // Drops the held frame.
    void Flush();
    // Tells the streaming side that a sample came back to the pool.
    void NotifySampleFreed();

  private:
    void Wake();

    // Guards every member below. Taken by the session thread, which hands it decoded
    // frames, and by the presenter, which takes them; a leaf: the wake callback is called
    // without it.
    mutable std::mutex lock_;
    AVFrame* frame_ = nullptr;
    bool holding_ = false;
    int64_t time_ = 0;
    int64_t duration_ = 0;
    int outWidth_ = 0;
    int outHeight_ = 0;
    SwsContext* sws_ = nullptr;
    std::function<void()> wake_;
};

} // namespace kestrel::playback
