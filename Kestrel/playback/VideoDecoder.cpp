#include "playback/VideoDecoder.h"

#include "playback/MediaSource.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/hwcontext.h>
#include <libavutil/pixdesc.h>
}

namespace kestrel::playback {
namespace {

AVPixelFormat PreferVaapi(AVCodecContext*, const AVPixelFormat* formats) {
    for (const AVPixelFormat* f = formats; *f != AV_PIX_FMT_NONE; ++f) {
        if (*f == AV_PIX_FMT_VAAPI)
            return *f;
    }
    // The first format FFmpeg offers after the hardware ones is its software format.
    for (const AVPixelFormat* f = formats; *f != AV_PIX_FMT_NONE; ++f) {
        const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(*f);
        if (d != nullptr && (d->flags & AV_PIX_FMT_FLAG_HWACCEL) == 0)
            return *f;
    }
    return AV_PIX_FMT_NONE;
}

// Whether an H.264 packet holds an IDR picture: no picture after it refers to one before
// it, so a fresh decoder can take the stream over there without losing a picture. A key
// frame that is only a recovery point may be followed by pictures that refer back.
bool HoldsIdrPicture(const AVCodecParameters& par, const AVPacket& packet) {
    if (par.codec_id != AV_CODEC_ID_H264 || packet.data == nullptr || packet.size <= 0)
        return false;
    const uint8_t* data = packet.data;
    const size_t size = static_cast<size_t>(packet.size);
    const bool lengthPrefixed =
        par.extradata != nullptr && par.extradata_size >= 7 && par.extradata[0] == 1;
    if (lengthPrefixed) {
        const size_t lengthSize = static_cast<size_t>(par.extradata[4] & 3) + 1;
        for (size_t at = 0; at + lengthSize < size;) {
            size_t length = 0;
            for (size_t i = 0; i < lengthSize; ++i)
                length = (length << 8) | data[at + i];
            at += lengthSize;
            if (length == 0 || length > size - at)
                return false;
            if ((data[at] & 0x1f) == 5)
                return true;
            at += length;
        }
        return false;
    }
    // Start codes: 00 00 01 before each unit.
    for (size_t at = 0; at + 3 < size; ++at) {
        if (data[at] == 0 && data[at + 1] == 0 && data[at + 2] == 1 && (data[at + 3] & 0x1f) == 5)
            return true;
    }
    return false;
}

} // namespace

VideoDecoder::~VideoDecoder() {
    avcodec_free_context(&codec_);
    avcodec_free_context(&single_);
    av_buffer_unref(&hardware_);
    av_frame_free(&transfer_);
}

MediaResult VideoDecoder::Open(const AVStream* stream, bool hardware) {
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (codec == nullptr)
        return kNoDecoder;
    codec_ = avcodec_alloc_context3(codec);
    transfer_ = av_frame_alloc();
    if (codec_ == nullptr || transfer_ == nullptr)
        return kOutOfMemory;
    if (avcodec_parameters_to_context(codec_, stream->codecpar) < 0)
        return kInvalidMediaType;
    codec_->pkt_timebase = stream->time_base;
    if (hardware &&
        av_hwdevice_ctx_create(&hardware_, AV_HWDEVICE_TYPE_VAAPI, nullptr, nullptr, 0) >= 0) {
        codec_->hw_device_ctx = av_buffer_ref(hardware_);
        codec_->get_format = PreferVaapi;
    } else {
        hardware_ = nullptr;
        codec_->thread_count = 0; // as many as the machine has
        codec_->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    }
    if (avcodec_open2(codec_, codec, nullptr) < 0)
        return kNoDecoder;
    if (hardware_ == nullptr) {
        // Without it everything is decoded by the threaded decoder, as before.
        single_ = avcodec_alloc_context3(codec);
        if (single_ == nullptr || avcodec_parameters_to_context(single_, stream->codecpar) < 0) {
            avcodec_free_context(&single_);
        } else {
            single_->pkt_timebase = stream->time_base;
            single_->thread_count = 1;
            if (avcodec_open2(single_, codec, nullptr) < 0)
                avcodec_free_context(&single_);
        }
    }
    active_ = codec_;
    stream_ = stream;
    const AVRational rate =
        stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
    if (rate.num > 0 && rate.den > 0)
        defaultDuration_ = 10'000'000LL * rate.den / rate.num;
    return kOk;
}

void VideoDecoder::SwitchAtKeyFrame(const AVPacket* packet) {
    if (single_ == nullptr || retiring_ != nullptr || packet == nullptr ||
        (packet->flags & AV_PKT_FLAG_KEY) == 0) {
        return;
    }
    AVCodecContext* wanted = steady_ ? single_ : codec_;
    if (wanted == active_ || stream_ == nullptr || !HoldsIdrPicture(*stream_->codecpar, *packet))
        return;
    // The old decoder gives out what it still holds before the new one's first picture.
    avcodec_send_packet(active_, nullptr);
    retiring_ = active_;
    active_ = wanted;
    avcodec_flush_buffers(active_);
}

MediaResult VideoDecoder::Send(const AVPacket* packet) {
    if (active_ == nullptr)
        return kUnexpected;
    SwitchAtKeyFrame(packet);
    const int err = avcodec_send_packet(active_, packet);
    if (err == AVERROR(EAGAIN))
        return kNotAccepting;
    // A damaged picture is skipped; the stream goes on with the next one.
    return err < 0 && err != AVERROR_EOF && err != AVERROR_INVALIDDATA ? kFail : kOk;
}

MediaResult VideoDecoder::Receive(AVFrame* frame) {
    if (active_ == nullptr)
        return kUnexpected;
    if (retiring_ != nullptr) {
        if (avcodec_receive_frame(retiring_, frame) == 0)
            return kOk;
        // Drained (or failed): it is ready for the next time it takes over.
        avcodec_flush_buffers(retiring_);
        retiring_ = nullptr;
    }
    const int err = avcodec_receive_frame(active_, frame);
    if (err == AVERROR(EAGAIN))
        return kNeedMoreInput;
    if (err == AVERROR_EOF)
        return kFalse;
    if (err < 0)
        return kFail;
    if (frame->format == AV_PIX_FMT_VAAPI) {
        av_frame_unref(transfer_);
        if (av_hwframe_transfer_data(transfer_, frame, 0) < 0)
            return kFail;
        av_frame_copy_props(transfer_, frame);
        av_frame_unref(frame);
        av_frame_move_ref(frame, transfer_);
    }
    return kOk;
}

void VideoDecoder::Flush() {
    if (codec_ != nullptr)
        avcodec_flush_buffers(codec_);
    if (single_ != nullptr)
        avcodec_flush_buffers(single_);
    retiring_ = nullptr;
    active_ = codec_;
    steady_ = false;
}

void VideoDecoder::SetThinning(bool thin) {
    for (AVCodecContext* c : {codec_, single_}) {
        if (c != nullptr)
            c->skip_frame = thin ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
    }
}

void VideoDecoder::SetSteady(bool steady) {
    steady_ = steady;
}

int64_t VideoDecoder::FrameTime(const AVFrame* frame) const {
    int64_t t = frame->best_effort_timestamp;
    if (t == AV_NOPTS_VALUE)
        t = frame->pts;
    if (t == AV_NOPTS_VALUE || stream_ == nullptr)
        return 0;
    return StreamTimeTo100ns(stream_, t);
}

int64_t VideoDecoder::FrameDuration(const AVFrame* frame) const {
    if (frame->pkt_duration > 0 && stream_ != nullptr) {
        return StreamTimeTo100ns(stream_, frame->pkt_duration);
    }
    return defaultDuration_;
}

} // namespace kestrel::playback
