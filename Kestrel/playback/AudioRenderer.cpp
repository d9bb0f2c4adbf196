#include "playback/AudioRenderer.h"

#include "playback/MediaSource.h"

#include <SDL.h>

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace kestrel::playback {
namespace {

// SDL's audio subsystem is counted per process; opening and closing go through here.
std::mutex& SdlLock() {
    static std::mutex lock;
    return lock;
}

} // namespace

AudioRenderer::~AudioRenderer() {
    Close();
}

MediaResult AudioRenderer::Open(const AVStream* stream) {
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (codec == nullptr)
        return kNoDecoder;
    codec_ = avcodec_alloc_context3(codec);
    frame_ = av_frame_alloc();
    if (codec_ == nullptr || frame_ == nullptr)
        return kOutOfMemory;
    if (avcodec_parameters_to_context(codec_, stream->codecpar) < 0)
        return kInvalidMediaType;
    codec_->pkt_timebase = stream->time_base;
    if (avcodec_open2(codec_, codec, nullptr) < 0)
        return kNoDecoder;
    stream_ = stream;
    channels_ = std::clamp(codec_->ch_layout.nb_channels, 1, 2);
    rate_ = codec_->sample_rate > 0 ? codec_->sample_rate : 48000;

    AVChannelLayout outLayout;
    av_channel_layout_default(&outLayout, channels_);
    const int swr =
        swr_alloc_set_opts2(&resampler_, &outLayout, AV_SAMPLE_FMT_FLT, rate_, &codec_->ch_layout,
                            codec_->sample_fmt, codec_->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&outLayout);
    if (swr < 0 || swr_init(resampler_) < 0)
        return kInvalidMediaType;

    std::lock_guard lock(SdlLock());
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return kNoAudioDevice;
    sdlStarted_ = true;
    SDL_AudioSpec want{};
    want.freq = rate_;
    want.format = AUDIO_F32SYS;
    want.channels = static_cast<Uint8>(channels_);
    want.samples = 1024;
    SDL_AudioSpec have{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0)
        return kNoAudioDevice;
    {
        std::lock_guard volume(volumeLock_);
        volumes_.assign(static_cast<size_t>(channels_), 1.0f);
    }
    return kOk;
}

void AudioRenderer::Close() {
    {
        std::lock_guard lock(SdlLock());
        if (device_ != 0)
            SDL_CloseAudioDevice(device_);
        device_ = 0;
        if (sdlStarted_)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        sdlStarted_ = false;
    }
    avcodec_free_context(&codec_);
    swr_free(&resampler_);
    av_frame_free(&frame_);
}

MediaResult AudioRenderer::Render(const AVPacket* packet, int64_t from) {
    if (codec_ == nullptr || device_ == 0)
        return kUnexpected;
    if (avcodec_send_packet(codec_, packet) < 0)
        return kOk; // a damaged packet is silence
    for (;;) {
        const int err = avcodec_receive_frame(codec_, frame_);
        if (err < 0)
            return kOk;
        Queue(frame_, from);
        av_frame_unref(frame_);
    }
}

MediaResult AudioRenderer::Queue(const AVFrame* frame, int64_t from) {
    int64_t time = frame->best_effort_timestamp;
    if (time != AV_NOPTS_VALUE && StreamTimeTo100ns(stream_, time) < from)
        return kOk;
    const int outSamples = swr_get_out_samples(resampler_, frame->nb_samples);
    if (outSamples <= 0)
        return kOk;
    converted_.resize(static_cast<size_t>(outSamples) * static_cast<size_t>(channels_));
    auto* out = reinterpret_cast<uint8_t*>(converted_.data());
    const int got =
        swr_convert(resampler_, &out, outSamples, const_cast<const uint8_t**>(frame->extended_data),
                    frame->nb_samples);
    if (got <= 0)
        return kOk;
    {
        std::lock_guard lock(volumeLock_);
        for (int i = 0; i < got * channels_; ++i) {
            converted_[static_cast<size_t>(i)] *= volumes_[static_cast<size_t>(i % channels_)];
        }
    }
    const auto bytes = static_cast<Uint32>(static_cast<size_t>(got) * channels_ * sizeof(float));
    return SDL_QueueAudio(device_, converted_.data(), bytes) == 0 ? kOk : kFail;
}

void AudioRenderer::Start() {
    if (device_ != 0)
        SDL_PauseAudioDevice(device_, 0);
}

void AudioRenderer::Pause() {
    if (device_ != 0)
        SDL_PauseAudioDevice(device_, 1);
}

void AudioRenderer::Flush() {
    if (device_ != 0)
        SDL_ClearQueuedAudio(device_);
    if (codec_ != nullptr)
        avcodec_flush_buffers(codec_);
}

int AudioRenderer::GetChannelCount() const {
    return channels_;
}

MediaResult AudioRenderer::SetAllVolumes(const std::vector<float>& volumes) {
    std::lock_guard lock(volumeLock_);
    if (volumes.size() != volumes_.size())
        return kInvalidArg;
    for (float v : volumes) {
        if (!(v >= 0.0f && v <= 1.0f))
            return kInvalidArg;
    }
    volumes_ = volumes;
    return kOk;
}

MediaResult AudioRenderer::GetAllVolumes(std::vector<float>& volumes) const {
    std::lock_guard lock(volumeLock_);
    volumes = volumes_;
    return kOk;
}

} // namespace kestrel::playback
