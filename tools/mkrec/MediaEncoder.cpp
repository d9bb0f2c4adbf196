#include "mkrec/MediaEncoder.h"

#include "mkrec/DenseScene.h"
#include "mkrec/VideoScene.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <mutex>
#include <numbers>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace kestrel::mkrec {

namespace {

struct CodecDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
using CodecPtr = std::unique_ptr<AVCodecContext, CodecDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;

[[noreturn]] void Fail(const std::string& what, int err = 0) {
    std::string message = what;
    if (err < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(err, text, sizeof text);
        message += std::string(": ") + text;
    }
    throw std::runtime_error(message);
}

using NalUnit = std::pair<const uint8_t*, size_t>;

std::vector<NalUnit> SplitAnnexB(const uint8_t* data, size_t size) {
    std::vector<NalUnit> units;
    size_t i = 0;
    size_t start = SIZE_MAX;
    while (i + 3 <= size) {
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1) {
            if (start != SIZE_MAX) units.emplace_back(data + start, i - start);
            i += 3;
            start = i;
        } else {
            ++i;
        }
    }
    if (start != SIZE_MAX) units.emplace_back(data + start, size - start);
    // Zero bytes before a start code (a four-byte start code, trailing zeros) are not
    // part of the unit.
    for (NalUnit& u : units) {
        while (u.second > 0 && u.first[u.second - 1] == 0) --u.second;
    }
    std::erase_if(units, [](const NalUnit& u) { return u.second == 0; });
    return units;
}

// Sends one frame (or the flush) and collects every packet the encoder has ready.
template <typename OnPacket>
void Drain(AVCodecContext* ctx, AVFrame* frame, AVPacket* pkt, OnPacket onPacket) {
    int err = avcodec_send_frame(ctx, frame);
    if (err < 0) Fail("cannot encode", err);
    while (true) {
        err = avcodec_receive_packet(ctx, pkt);
        if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return;
        if (err < 0) Fail("cannot encode", err);
        onPacket(*pkt);
        av_packet_unref(pkt);
    }
}

// The libraries' own progress lines are not wanted in a generator's output.
void QuietLibraries() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_ERROR); });
}

} // namespace

std::vector<uint8_t> AnnexBToLengthPrefixed(const uint8_t* data, size_t size) {
    std::vector<uint8_t> out;
    out.reserve(size + 16);
    for (const NalUnit& u : SplitAnnexB(data, size)) {
        const auto n = static_cast<uint32_t>(u.second);
        out.push_back(static_cast<uint8_t>(n >> 24));
        out.push_back(static_cast<uint8_t>(n >> 16));
        out.push_back(static_cast<uint8_t>(n >> 8));
        out.push_back(static_cast<uint8_t>(n));
        out.insert(out.end(), u.first, u.first + u.second);
    }
    return out;
}

std::vector<uint8_t> AvcConfigFromAnnexB(const uint8_t* data, size_t size) {
    NalUnit sps{nullptr, 0};
    NalUnit pps{nullptr, 0};
    for (const NalUnit& u : SplitAnnexB(data, size)) {
        const int type = u.first[0] & 0x1F;
        if (type == 7 && sps.first == nullptr) sps = u;
        if (type == 8 && pps.first == nullptr) pps = u;
    }
    if (sps.first == nullptr || pps.first == nullptr || sps.second < 4 || sps.second > 0xFFFF ||
        pps.second > 0xFFFF) {
        return {};
    }
    std::vector<uint8_t> c = {1, sps.first[1], sps.first[2], sps.first[3], 0xFF, 0xE1};
    c.push_back(static_cast<uint8_t>(sps.second >> 8));
    c.push_back(static_cast<uint8_t>(sps.second));
    c.insert(c.end(), sps.first, sps.first + sps.second);
    c.push_back(1);
    c.push_back(static_cast<uint8_t>(pps.second >> 8));
    c.push_back(static_cast<uint8_t>(pps.second));
    c.insert(c.end(), pps.first, pps.first + pps.second);
    return c;
}

VideoTrackData EncodeVideo(const VideoSettings& s) {
    QuietLibraries();
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (codec == nullptr) Fail("the H.264 encoder libx264 is not available");
    CodecPtr ctx(avcodec_alloc_context3(codec));
    if (!ctx) Fail("out of memory");
    ctx->width = s.Width;
    ctx->height = s.Height;
    ctx->pix_fmt = AV_PIX_FMT_YUV420P;
    ctx->time_base = AVRational{s.SttsDelta, 90000};
    ctx->framerate = AVRational{90000, s.SttsDelta};
    ctx->gop_size = s.Gop;
    ctx->keyint_min = s.Gop;
    ctx->max_b_frames = 0;
    ctx->thread_count = 0;
    ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER | AV_CODEC_FLAG_CLOSED_GOP;
    if (s.Dense) {
        // Noise takes whatever it is given; a target rate keeps the movie at the density asked.
        ctx->bit_rate =
            static_cast<int64_t>(kDenseBitsPerPixel * s.Width * s.Height * 90000.0 / s.SttsDelta);
        // A one-second buffer holds short movies near the rate too, where the average alone
        // would overshoot.
        ctx->rc_max_rate = ctx->bit_rate;
        ctx->rc_buffer_size = static_cast<int>(std::min<int64_t>(ctx->bit_rate, INT32_MAX));
    }
    AVDictionary* opts = nullptr;
    av_dict_set(&opts, "preset", "ultrafast", 0);
    av_dict_set(&opts, "x264-params", "scenecut=0:open-gop=0:bframes=0", 0);
    const int opened = avcodec_open2(ctx.get(), codec, &opts);
    av_dict_free(&opts);
    if (opened < 0) Fail("cannot open the H.264 encoder", opened);

    VideoTrackData track;
    track.AvcC = AvcConfigFromAnnexB(ctx->extradata, static_cast<size_t>(ctx->extradata_size));
    if (track.AvcC.empty()) Fail("the H.264 encoder gave no parameter sets");

    FramePtr frame(av_frame_alloc());
    PacketPtr pkt(av_packet_alloc());
    if (!frame || !pkt) Fail("out of memory");
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = s.Width;
    frame->height = s.Height;
    if (const int err = av_frame_get_buffer(frame.get(), 0); err < 0) Fail("out of memory", err);

    auto keep = [&](const AVPacket& p) {
        if (p.pts != static_cast<int64_t>(track.Samples.size())) {
            Fail("the H.264 encoder reordered frames");
        }
        track.Samples.push_back({AnnexBToLengthPrefixed(p.data, static_cast<size_t>(p.size)),
                                 (p.flags & AV_PKT_FLAG_KEY) != 0});
    };
    std::optional<DenseScene> dense;
    if (s.Dense) dense.emplace(s.Width, s.Height);
    for (int i = 0; i < s.Frames; ++i) {
        if (const int err = av_frame_make_writable(frame.get()); err < 0) Fail("out of memory", err);
        const PicturePlanes planes{frame->data[0],     frame->data[1],     frame->data[2],
                                   frame->linesize[0], frame->linesize[1], frame->linesize[2],
                                   s.Width,            s.Height};
        if (dense) {
            dense->Paint(planes, i, s.SceneStart + i);
        } else {
            PaintScene(planes, i, s.SceneStart + i);
        }
        frame->pts = i;
        frame->pict_type = i % s.Gop == 0 ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
        Drain(ctx.get(), frame.get(), pkt.get(), keep);
    }
    Drain(ctx.get(), nullptr, pkt.get(), keep);
    if (static_cast<int>(track.Samples.size()) != s.Frames) Fail("the H.264 encoder lost frames");
    return track;
}

namespace {

double Tone(int64_t i) {
    // A quiet 440 Hz tone.
    return 0.05 * std::sin(2.0 * std::numbers::pi * 440.0 * static_cast<double>(i) / kAudioRate);
}

AudioTrackData EncodeAac(int64_t samples) {
    QuietLibraries();
    const AVCodec* codec = avcodec_find_encoder_by_name("aac");
    if (codec == nullptr) Fail("the AAC encoder is not available");
    CodecPtr ctx(avcodec_alloc_context3(codec));
    if (!ctx) Fail("out of memory");
    ctx->sample_fmt = AV_SAMPLE_FMT_FLTP;
    ctx->sample_rate = kAudioRate;
    av_channel_layout_default(&ctx->ch_layout, 1);
    ctx->bit_rate = 64000;
    ctx->time_base = AVRational{1, kAudioRate};
    ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (const int err = avcodec_open2(ctx.get(), codec, nullptr); err < 0) {
        Fail("cannot open the AAC encoder", err);
    }
    if (ctx->frame_size != kAacFrame) Fail("the AAC encoder uses an unexpected frame size");

    AudioTrackData track;
    track.Kind = AudioKind::Aac;
    track.Config.assign(ctx->extradata, ctx->extradata + ctx->extradata_size);
    if (track.Config.empty()) Fail("the AAC encoder gave no configuration");

    FramePtr frame(av_frame_alloc());
    PacketPtr pkt(av_packet_alloc());
    if (!frame || !pkt) Fail("out of memory");
    auto keep = [&](const AVPacket& p) {
        track.Packets.push_back({std::vector<uint8_t>(p.data, p.data + p.size), true});
    };
    for (int64_t done = 0; done < samples; done += kAacFrame) {
        av_frame_unref(frame.get());
        frame->format = AV_SAMPLE_FMT_FLTP;
        frame->sample_rate = kAudioRate;
        frame->nb_samples = static_cast<int>(std::min<int64_t>(kAacFrame, samples - done));
        av_channel_layout_default(&frame->ch_layout, 1);
        if (const int err = av_frame_get_buffer(frame.get(), 0); err < 0) Fail("out of memory", err);
        auto* out = reinterpret_cast<float*>(frame->data[0]);
        for (int i = 0; i < frame->nb_samples; ++i) out[i] = static_cast<float>(Tone(done + i));
        frame->pts = done;
        Drain(ctx.get(), frame.get(), pkt.get(), keep);
    }
    Drain(ctx.get(), nullptr, pkt.get(), keep);
    track.MediaSamples = static_cast<int64_t>(track.Packets.size()) * kAacFrame;
    return track;
}

AudioTrackData EncodePcm(int64_t samples) {
    AudioTrackData track;
    track.Kind = AudioKind::Pcm;
    track.MediaSamples = (samples + kPcmChunk - 1) / kPcmChunk * kPcmChunk;
    track.Pcm.assign(static_cast<size_t>(track.MediaSamples) * 2, 0);
    for (int64_t i = 0; i < samples; ++i) {
        const auto v = static_cast<int16_t>(std::lround(Tone(i) * 32767.0));
        track.Pcm[static_cast<size_t>(2 * i)] = static_cast<uint8_t>(v & 0xFF);
        track.Pcm[static_cast<size_t>(2 * i + 1)] = static_cast<uint8_t>((v >> 8) & 0xFF);
    }
    return track;
}

} // namespace

AudioTrackData EncodeAudio(AudioKind kind, int64_t samples) {
    switch (kind) {
    case AudioKind::Aac: return EncodeAac(samples);
    case AudioKind::Pcm: return EncodePcm(samples);
    case AudioKind::None: break;
    }
    return {};
}

} // namespace kestrel::mkrec
