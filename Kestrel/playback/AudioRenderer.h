#pragma once
// The audio branch: decodes the sound track, converts it to the device's format and
// queues it on an SDL audio device, with a volume per channel.
#include "playback/MediaResult.h"

#include <cstdint>
#include <mutex>
#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct SwrContext;

namespace kestrel::playback {

class AudioRenderer {
  public:
    AudioRenderer() = default;
    ~AudioRenderer();
    AudioRenderer(const AudioRenderer&) = delete;
    AudioRenderer& operator=(const AudioRenderer&) = delete;

    // Opens the decoder and an audio device; kNoAudioDevice when there is no usable device.
    MediaResult Open(const AVStream* stream);
    void Close();

    // Decodes `packet` and queues what starts at `from` (100 ns) or later.
    MediaResult Render(const AVPacket* packet, int64_t from);
    void Start();
    void Pause();
    // Drops what is queued and what the decoder holds.
    void Flush();

    // The stream volume: one value 0..1 per output channel.
    int GetChannelCount() const;
    MediaResult SetAllVolumes(const std::vector<float>& volumes);
    MediaResult GetAllVolumes(std::vector<float>& volumes) const;

  private:
    MediaResult Queue(const AVFrame* frame, int64_t from);

    const AVStream* stream_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    SwrContext* resampler_ = nullptr;
    AVFrame* frame_ = nullptr;
    uint32_t device_ = 0;
    bool sdlStarted_ = false;
    int channels_ = 0;
    int rate_ = 0;
    std::vector<float> converted_;

    // Guards volumes_: set from the engine's thread (inside the player lock), read by the
    // audio callback's thread. A leaf.
    mutable std::mutex volumeLock_;
    std::vector<float> volumes_;
};

} // namespace kestrel::playback
