// Player figures on one movie (normally 1080p30 H.264 with a key frame every 30 pictures):
//   open   - OpenMovie to the ready message, median of several opens;
//   seek   - SeekToFrame to the target picture being presented, over 50 random frames,
//            against libavcodec decoding from the key frame before each target to the
//            target in the same run (the least any player can take);
//   play   - CPU time of playing the whole movie at normal speed into a window without a
//            screen, with late and missing pictures, against `ffmpeg -i FILE -f null -`
//            decoding the same file in the same run.
// Usage: playback FILE [--no-ffmpeg] [--only open|seek|play]
#include "engine/EngineContext.h"
#include "engine/PlaybackPipeline.h"
#include "playback/OffscreenVideoWindow.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using kestrel::EngineContext;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Keeps the time of every presented picture and wakes a waiter for a given media time.
class TimingWindow : public kestrel::playback::OffscreenVideoWindow {
  public:
    TimingWindow() : OffscreenVideoWindow(1280, 720) {}
    struct Shown {
        int64_t Time;
        Clock::time_point When;
    };
    void Reset() {
        std::lock_guard lock(lock_);
        shown_.clear();
    }
    std::vector<Shown> All() {
        std::lock_guard lock(lock_);
        return shown_;
    }
    // Waits until a picture whose interval holds `time` has been presented.
    bool WaitForTime(int64_t time, int64_t duration, Clock::time_point& when) {
        std::unique_lock lock(lock_);
        return presented_.wait_for(lock, 5s, [&] {
            for (const Shown& s : shown_) {
                if (s.Time <= time && time < s.Time + duration) {
                    when = s.When;
                    return true;
                }
            }
            return false;
        });
    }

  protected:
    void OnPicture(const kestrel::VideoPicture& picture, const kestrel::Rect&) override {
        std::lock_guard lock(lock_);
        shown_.push_back({picture.Time, Clock::now()});
        presented_.notify_all();
    }

  private:
    std::mutex lock_;
    std::condition_variable presented_;
    std::vector<Shown> shown_;
};

struct Engine {
    TimingWindow window;
    EngineContext ctx;
    Engine() {
        kestrel::Init(ctx, &window, "メイリオ");
        ctx.Ready = 1;
    }
    ~Engine() {
        kestrel::CloseMovie(ctx);
        ctx.Ready = 0;
        kestrel::Shutdown(ctx);
    }
    bool Open(const char* file) {
        window.Messages().Clear();
        return kestrel::OpenMovie(ctx, file) &&
               window.Messages().WaitFor(kestrel::WM_APP_MEDIA_READY, 10s) &&
               kestrel::SetVideoRect(ctx, 640, 360, 0, 0, 1.0f, 0) &&
               window.Messages().WaitFor(kestrel::WM_APP_MEDIA_PAUSED, 10s);
    }
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

void BenchOpen(const char* file) {
    std::vector<double> times;
    for (int i = 0; i < 7; ++i) {
        Engine engine;
        const auto start = Clock::now();
        if (!kestrel::OpenMovie(engine.ctx, file) ||
            !engine.window.Messages().WaitFor(kestrel::WM_APP_MEDIA_READY, 10s)) {
            std::printf("open: failed\n");
            return;
        }
        times.push_back(Ms(Clock::now() - start));
    }
    std::printf("open: OpenMovie to ready message: median %.1f ms, worst %.1f ms (%zu opens)\n",
                Median(times), *std::max_element(times.begin(), times.end()), times.size());
}

// What libavcodec alone needs to show each target: seek to the key frame at or before
// it, decode up to the picture whose span holds the target's time. Milliseconds per
// target, or nothing when the file cannot be decoded.
std::vector<double> DecodeToTargets(const char* file, const std::vector<int64_t>& times) {
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, file, nullptr, nullptr) < 0)
        return {};
    std::vector<double> spent;
    const AVCodec* codec = nullptr;
    const int index = avformat_find_stream_info(format, nullptr) < 0
                          ? -1
                          : av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    AVCodecContext* decoder = index >= 0 ? avcodec_alloc_context3(codec) : nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* picture = av_frame_alloc();
    if (decoder != nullptr &&
        avcodec_parameters_to_context(decoder, format->streams[index]->codecpar) >= 0) {
        decoder->thread_count = 0; // as the ffmpeg command decodes: all cores
        if (avcodec_open2(decoder, codec, nullptr) >= 0) {
            const AVStream* stream = format->streams[index];
            const AVRational rate = stream->avg_frame_rate;
            const int64_t picture_ticks =
                rate.num > 0 ? av_rescale_q(1, av_inv_q(rate), stream->time_base) : 1;
            for (const int64_t time : times) {
                const int64_t target =
                    av_rescale_q(time, AVRational{1, 10'000'000}, stream->time_base);
                const auto start = Clock::now();
                av_seek_frame(format, index, target, AVSEEK_FLAG_BACKWARD);
                avcodec_flush_buffers(decoder);
                bool found = false;
                bool draining = false;
                while (!found) {
                    if (!draining) {
                        if (av_read_frame(format, packet) < 0) {
                            draining = true;
                            avcodec_send_packet(decoder, nullptr);
                        } else if (packet->stream_index != index) {
                            av_packet_unref(packet);
                            continue;
                        } else {
                            avcodec_send_packet(decoder, packet);
                            av_packet_unref(packet);
                        }
                    }
                    int got = 0;
                    while (!found && (got = avcodec_receive_frame(decoder, picture)) == 0) {
                        const int64_t t = picture->best_effort_timestamp;
                        found = t != AV_NOPTS_VALUE && t + picture_ticks > target;
                        av_frame_unref(picture);
                    }
                    if (draining && got != 0)
                        break; // past the end: the last picture was the one
                }
                spent.push_back(Ms(Clock::now() - start));
            }
        }
    }
    av_frame_free(&picture);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avformat_close_input(&format);
    return spent;
}

void BenchSeek(const char* file) {
    Engine engine;
    if (!engine.Open(file)) {
        std::printf("seek: open failed\n");
        return;
    }
    const int64_t total = kestrel::GetTotalFrames(engine.ctx);
    const float period = engine.ctx.FramePeriodMs;
    const int64_t pictureDuration = 333'333;
    std::mt19937 random(12345);
    std::uniform_int_distribution<int64_t> pick(0, total - 1);
    std::vector<double> times;
    std::vector<int64_t> targets;
    std::vector<double> ratios;
    int missed = 0;
    for (int i = 0; i < 50; ++i) {
        const int64_t frame = pick(random);
        const int64_t time = kestrel::FrameToMediaTime(period, frame);
        engine.window.Reset();
        engine.window.Messages().Clear();
        const auto start = Clock::now();
        kestrel::SeekToFrame(engine.ctx, frame);
        Clock::time_point when;
        if (!engine.window.WaitForTime(time, pictureDuration, when)) {
            ++missed;
            continue;
        }
        times.push_back(Ms(when - start));
        targets.push_back(time);
        engine.window.Messages().WaitFor(kestrel::WM_APP_MEDIA_PAUSED, 5s);
    }
    std::printf("seek: SeekToFrame to the picture presented: median %.1f ms, worst %.1f ms "
                "(%zu seeks, %d not shown)\n",
                Median(times), times.empty() ? 0.0 : *std::max_element(times.begin(), times.end()),
                times.size(), missed);
    const std::vector<double> limits = DecodeToTargets(file, targets);
    if (limits.size() != times.size() || limits.empty()) {
        std::printf("seek: libavcodec could not decode the targets\n");
        return;
    }
    for (size_t i = 0; i < times.size(); ++i)
        ratios.push_back(times[i] / std::max(limits[i], 0.1));
    std::printf("seek: libavcodec from the key frame to the same pictures: median %.1f ms, "
                "worst %.1f ms; player / libavcodec: median of the ratios %.2f, of the medians "
                "%.2f (goal: at most 1.25, worst at most 250 ms)\n",
                Median(limits), *std::max_element(limits.begin(), limits.end()), Median(ratios),
                Median(times) / std::max(Median(limits), 0.1));
}

// CPU seconds of the play run, 0 when it did not run.
double BenchPlay(const char* file) {
    Engine engine;
    if (!engine.Open(file)) {
        std::printf("play: open failed\n");
        return 0.0;
    }
    engine.window.Reset();
    engine.window.Messages().Clear();
    const double cpuBefore = CpuSeconds(RUSAGE_SELF);
    const auto start = Clock::now();
    kestrel::Run(engine.ctx);
    const bool ended =
        engine.window.Messages().WaitFor(kestrel::WM_APP_MEDIA_ENDED, 120s).has_value();
    const double wall = Ms(Clock::now() - start) / 1000.0;
    const double cpu = CpuSeconds(RUSAGE_SELF) - cpuBefore;
    const std::vector<TimingWindow::Shown> shown = engine.window.All();
    // Lateness against the first picture's schedule: each is due (time - first) later.
    int late = 0;
    double worst = 0.0;
    int gaps = 0;
    for (size_t i = 1; i < shown.size(); ++i) {
        const double due = static_cast<double>(shown[i].Time - shown[0].Time) / 1e4;
        const double at = Ms(shown[i].When - shown[0].When);
        worst = std::max(worst, at - due);
        if (at - due > 33.3)
            ++late;
        if (shown[i].Time - shown[i - 1].Time > 400'000)
            ++gaps;
    }
    std::printf("play: %zu pictures in %.2f s wall%s; CPU %.2f s (%.0f%% of one core); "
                "late by more than a picture: %d, worst %.1f ms; pictures left out: %d\n",
                shown.size(), wall, ended ? "" : " (no end message)", cpu, 100.0 * cpu / wall, late,
                worst, gaps);
    return cpu;
}

// CPU seconds of the ffmpeg command.
double BenchFfmpeg(const char* file) {
    const double before = CpuSeconds(RUSAGE_CHILDREN);
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execlp("ffmpeg", "ffmpeg", "-v", "error", "-nostdin", "-i", file, "-f", "null", "-",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const double wall = Ms(Clock::now() - start) / 1000.0;
    const double cpu = CpuSeconds(RUSAGE_CHILDREN) - before;
    std::printf("ffmpeg -i FILE -f null -: CPU %.2f s in %.2f s wall (exit %d)\n", cpu, wall,
                WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return cpu;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: playback FILE [--no-ffmpeg] [--only open|seek|play]\n");
        return 2;
    }
    bool ffmpeg = true;
    std::string only;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-ffmpeg") == 0) {
            ffmpeg = false;
        } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
            only = argv[++i];
        } else {
            std::fprintf(stderr, "playback: unknown option '%s'\n", argv[i]);
            return 2;
        }
    }
    if (std::getenv("SDL_AUDIODRIVER") == nullptr)
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (only.empty() || only == "open")
        BenchOpen(argv[1]);
    if (only.empty() || only == "seek")
        BenchSeek(argv[1]);
    if (only.empty() || only == "play") {
        const double player = BenchPlay(argv[1]);
        const double decode = ffmpeg ? BenchFfmpeg(argv[1]) : 0.0;
        if (player > 0.0 && decode > 0.0)
            std::printf("play: player CPU / ffmpeg CPU = %.2f (goal: at most 1.5)\n",
                        player / decode);
    }
    return 0;
}
