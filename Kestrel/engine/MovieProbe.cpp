#include "engine/MovieProbe.h"

#include <fstream>
#include <mutex>

extern "C" {
#include <libavformat/avformat.h>
}

namespace kestrel {

namespace {

// The frame rate FFmpeg reads from the streams, as the media detector would give it.
bool FramePeriodFromStreams(EngineContext& ctx, const std::filesystem::path& path) {
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
        return false;
    bool measured = avformat_find_stream_info(format, nullptr) >= 0;
    for (unsigned i = 0; measured && i < format->nb_streams; ++i) {
        const AVStream* stream = format->streams[i];
        double rate = av_q2d(stream->avg_frame_rate);
        if (!(rate > 0.0) && stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            rate = av_q2d(stream->r_frame_rate);
        }
        if (rate > 0.0)
            ctx.FramePeriodMs = static_cast<float>(1000.0 / rate);
    }
    avformat_close_input(&format);
    return measured;
}

} // namespace

bool ReadFileStart(const std::filesystem::path& path) {
    // Only a regular file is opened: a named pipe under a movie's name would hold the open.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    char head[260];
    if (!file.read(head, sizeof head))
        return false;
    return head[4] == 'f' && head[5] == 't' && head[6] == 'y' && head[7] == 'p';
}

// Duration and frame period by the box walks; true when the movie may be played: longer
// than 1.5 seconds, or a short one whose frame period is exactly 15.
bool IsPlayableLength(EngineContext& ctx, const std::filesystem::path& path) {
    BoxScanner& scanner = ctx.Displayed.Scanner;
    float duration = 0.0f;
    if (scanner.OpenFile(path)) {
        ScanOutputs durationOut;
        durationOut.DurationSeconds = &duration;
        BoxPattern moov = BoxPattern::For("moov", &BoxScanner::MoovFound);
        BoxPattern mvhd = BoxPattern::For("mvhd", &BoxScanner::ReadMovieDuration);
        if (scanner.FindPattern(mvhd, &moov, durationOut)) {
            BoxPattern stts = BoxPattern::For("stts", &BoxScanner::ReadFramePeriod);
            if (scanner.FindBoxByPath(stts, ScanOutputs{}))
                ctx.FramePeriodMs = scanner.FramePeriod;
        }
    }
    const bool playable = duration > 1.5f || scanner.FramePeriod == 15.0f;
    scanner.Release();
    return playable;
}

bool MeasureFramePeriod(EngineContext& ctx, const std::filesystem::path& path) {
    if (!ctx.FileMutex)
        return false;
    std::lock_guard fileLock(*ctx.FileMutex);
    BoxScanner& scanner = ctx.Displayed.Scanner;
    bool measured = false;
    if (scanner.OpenFile(path)) {
        BoxPattern stts = BoxPattern::For("stts", &BoxScanner::ReadFramePeriod);
        if (scanner.FindBoxByPath(stts, ScanOutputs{})) {
            ctx.FramePeriodMs = scanner.FramePeriod;
            measured = true;
        }
    }
    scanner.Release();
    if (!measured)
        measured = FramePeriodFromStreams(ctx, path);
    // Every frame conversion divides by the period: a movie without one cannot be played.
    if (!measured || !(ctx.FramePeriodMs > 0.0f))
        return false;
    ctx.Loaded.Scanner.FramePeriod = ctx.FramePeriodMs;
    ctx.Loaded.Scanner.FramePeriodCopy = ctx.FramePeriodMs;
    return true;
}

} // namespace kestrel
