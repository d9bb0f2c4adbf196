#pragma once
// The mixer between the decoder and the presenter: holds at most one decoded frame and,
// when the presenter asks for output, converts it into one of the presenter's samples at the
// size the picture will be shown at, handing the frame itself on with the sample.
#include "playback/FrameConverter.h"
#include "playback/MediaResult.h"
#include "playback/VideoSample.h"

#include <cstdint>
#include <functional>
#include <mutex>

struct AVFrame;

namespace kestrel::playback {

class VideoMixer {
  public:
    VideoMixer();
    ~VideoMixer();
    VideoMixer(const VideoMixer&) = delete;
    VideoMixer& operator=(const VideoMixer&) = delete;

    // The movie's display size: the size of the samples it writes unless asked for another.
    void SetOutputSize(int width, int height);
    // Called (without the mixer's lock) whenever it can take input again or a sample came
    // back, so that the streaming side tries again.
    void SetWakeCallback(std::function<void()> wake);

    // Takes a reference to `frame` with its media time and duration (100 ns);
    // kNotAccepting while it still holds a frame.
    MediaResult ProcessInput(const AVFrame* frame, int64_t time, int64_t duration);
    // Converts the held frame into `sample` at width x height (0 x 0: the output size) and
    // gives the sample the frame; kNeedMoreInput when it holds none.
    MediaResult ProcessOutput(VideoSample& sample, int width = 0, int height = 0);
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
    FrameConverter converter_;
    std::function<void()> wake_;
};

} // namespace kestrel::playback
