#include "playback/MediaSource.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace kestrel::playback {
namespace {

constexpr AVRational k100ns{1, 10'000'000};

} // namespace

int64_t StreamTimeTo100ns(const AVStream* stream, int64_t time) {
    return av_rescale_q(time, stream->time_base, k100ns);
}

int64_t From100nsToStreamTime(const AVStream* stream, int64_t time) {
    return av_rescale_q_rnd(time, k100ns, stream->time_base,
                            static_cast<AVRounding>(AV_ROUND_DOWN | AV_ROUND_PASS_MINMAX));
}

MediaSource::~MediaSource() {
    Shutdown();
}

MediaResult MediaSource::CreateFromPath(const std::filesystem::path& path,
                                        std::shared_ptr<MediaSource>& source) {
    std::shared_ptr<MediaSource> s(new MediaSource());
    // av_log would write to stderr for every damaged file; the caller reports failures.
    av_log_set_level(AV_LOG_FATAL);
    if (avformat_open_input(&s->format_, path.string().c_str(), nullptr, nullptr) < 0) {
        s->format_ = nullptr;
        return kUnsupportedByteStream;
    }
    if (avformat_find_stream_info(s->format_, nullptr) < 0)
        return kUnsupportedByteStream;
    s->videoIndex_ = av_find_best_stream(s->format_, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    s->audioIndex_ = av_find_best_stream(s->format_, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (s->videoIndex_ < 0 && s->audioIndex_ < 0)
        return kUnsupportedByteStream;
    // A picture nothing here can decode is reported now, while the opener can still say so,
    // rather than as a topology that never becomes ready.
    if (s->videoIndex_ >= 0 &&
        avcodec_find_decoder(s->format_->streams[s->videoIndex_]->codecpar->codec_id) == nullptr) {
        return kNoDecoder;
    }
    if (s->format_->duration > 0) {
        s->duration_ = av_rescale_q(s->format_->duration, AV_TIME_BASE_Q, k100ns);
    } else if (s->videoIndex_ >= 0 && s->format_->streams[s->videoIndex_]->duration > 0) {
        const AVStream* v = s->format_->streams[s->videoIndex_];
        s->duration_ = StreamTimeTo100ns(v, v->duration);
    }
    source = std::move(s);
    return kOk;
}

std::vector<StreamDescriptor> MediaSource::CreatePresentationDescriptor() const {
    std::vector<StreamDescriptor> streams;
    if (format_ == nullptr)
        return streams;
    for (unsigned i = 0; i < format_->nb_streams; ++i) {
        StreamDescriptor d;
        d.Index = static_cast<int>(i);
        switch (format_->streams[i]->codecpar->codec_type) {
        case AVMEDIA_TYPE_VIDEO:
            d.Type = MajorType::Video;
            break;
        case AVMEDIA_TYPE_AUDIO:
            d.Type = MajorType::Audio;
            break;
        default:
            d.Type = MajorType::Other;
            break;
        }
        d.Selected = d.Index == videoIndex_ || d.Index == audioIndex_;
        streams.push_back(d);
    }
    return streams;
}

const AVStream* MediaSource::Stream(int index) const {
    if (format_ == nullptr || index < 0 || index >= static_cast<int>(format_->nb_streams)) {
        return nullptr;
    }
    return format_->streams[index];
}

MediaResult MediaSource::ReadPacket(AVPacket* packet) {
    if (format_ == nullptr)
        return kShutdown;
    const int err = av_read_frame(format_, packet);
    if (err == AVERROR_EOF)
        return kFalse;
    // A damaged file ends where it can no longer be read.
    if (err < 0)
        return kFalse;
    return kOk;
}

MediaResult MediaSource::Seek(int64_t position) {
    if (format_ == nullptr)
        return kShutdown;
    const int index = videoIndex_ >= 0 ? videoIndex_ : audioIndex_;
    const AVStream* stream = format_->streams[index];
    int64_t ts = From100nsToStreamTime(stream, position < 0 ? 0 : position);
    if (stream->start_time != AV_NOPTS_VALUE && ts < stream->start_time)
        ts = stream->start_time;
    if (av_seek_frame(format_, index, ts, AVSEEK_FLAG_BACKWARD) >= 0)
        return kOk;
    // Before the first key frame: start from the beginning.
    if (avformat_seek_file(format_, index, INT64_MIN, ts, ts, 0) >= 0)
        return kOk;
    return av_seek_frame(format_, index, 0, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) >= 0 ? kOk
                                                                                         : kFail;
}

void MediaSource::Shutdown() {
    if (format_ != nullptr)
        avformat_close_input(&format_);
    format_ = nullptr;
}

} // namespace kestrel::playback
