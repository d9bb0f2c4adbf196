// Player figures on one movie (normally 1080p30 H.264 with a key frame every 30 pictures):
//   open   - OpenMovie to the ready message, median of several opens;
//   seek   - SeekToFrame to the target picture being presented, over 50 random frames;
//   play   - CPU time of playing the whole movie at normal speed into a window without a
//            screen, with late and missing pictures, against `ffmpeg -i FILE -f null -`
//            decoding the same file in the same run.
// Usage: playback FILE [--no-ffmpeg]
#include "engine/EngineContext.h"
#include "engine/PlaybackPipeline.h"
#include "playback/OffscreenVideoWindow.h"

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
        engine.window.Messages().WaitFor(kestrel::WM_APP_MEDIA_PAUSED, 5s);
    }
    std::printf("seek: SeekToFrame to the picture presented: median %.1f ms, worst %.1f ms "
                "(%zu seeks, %d not shown)\n",
                Median(times), times.empty() ? 0.0 : *std::max_element(times.begin(), times.end()),
                times.size(), missed);
}

void BenchPlay(const char* file) {
    Engine engine;
    if (!engine.Open(file)) {
        std::printf("play: open failed\n");
        return;
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
}

void BenchFfmpeg(const char* file) {
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
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: playback FILE [--no-ffmpeg]\n");
        return 2;
    }
    const bool ffmpeg = !(argc > 2 && std::strcmp(argv[2], "--no-ffmpeg") == 0);
    if (std::getenv("SDL_AUDIODRIVER") == nullptr)
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    BenchOpen(argv[1]);
    BenchSeek(argv[1]);
    BenchPlay(argv[1]);
    if (ffmpeg)
        BenchFfmpeg(argv[1]);
    return 0;
}
