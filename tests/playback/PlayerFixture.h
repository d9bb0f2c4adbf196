#pragma once
// The engine playing a generated movie into an off-screen window that reads the frame
// number painted into every picture it is given.
#include "../engine/MiniMovie.h"

#include "engine/EngineContext.h"
#include "engine/PlaybackPipeline.h"
#include "mkrec/FramePattern.h"
#include "mkrec/MovieMaker.h"
#include "playback/OffscreenVideoWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <vector>

namespace kestrel::testing {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

struct ShownPicture {
    int Pattern = -1; // the frame number painted into it, -1 when unreadable
    int64_t Time = 0; // its media time, 100 ns
    Clock::time_point When;
};

class PatternWindow : public playback::OffscreenVideoWindow {
  public:
    PatternWindow() : OffscreenVideoWindow(320, 180) {}

    std::vector<ShownPicture> Shown() const {
        std::lock_guard lock(lock_);
        return shown_;
    }
    void ClearShown() {
        std::lock_guard lock(lock_);
        shown_.clear();
    }
    // The last picture as it was given to the window, and where it went.
    std::vector<uint8_t> LastPixels(int& width, int& height, Rect& destination) const {
        std::lock_guard lock(lock_);
        width = lastWidth_;
        height = lastHeight_;
        destination = lastDestination_;
        return lastPixels_;
    }
    int LastPattern() const {
        std::lock_guard lock(lock_);
        return shown_.empty() ? -2 : shown_.back().Pattern;
    }

  protected:
    void OnPicture(const VideoPicture& picture, const Rect& destination) override {
        const int pattern = mkrec::DecodeFramePatternRgb(picture.Pixels, picture.Stride,
                                                         picture.Width, picture.Height, 4);
        std::lock_guard lock(lock_);
        shown_.push_back({pattern, picture.Time, Clock::now()});
        lastPixels_.resize(static_cast<size_t>(picture.Width) * picture.Height * 4);
        for (int y = 0; y < picture.Height; ++y) {
            std::copy_n(picture.Pixels + static_cast<size_t>(y) * picture.Stride,
                        static_cast<size_t>(picture.Width) * 4,
                        lastPixels_.begin() + static_cast<std::ptrdiff_t>(y) * picture.Width * 4);
        }
        lastWidth_ = picture.Width;
        lastHeight_ = picture.Height;
        lastDestination_ = destination;
    }

  private:
    mutable std::mutex lock_;
    std::vector<ShownPicture> shown_;
    std::vector<uint8_t> lastPixels_;
    int lastWidth_ = 0;
    int lastHeight_ = 0;
    Rect lastDestination_;
};

// A generated recorder movie: 320x180, 30 pictures a second (stts delta 3000 at 90 kHz,
// so the engine's frame period is 30 ms), a key frame every `gop` pictures.
inline mkrec::MovieSummary MakeTestMovie(const std::filesystem::path& path, double seconds,
                                         mkrec::AudioKind audio = mkrec::AudioKind::Aac,
                                         int gop = 30) {
    mkrec::MovieOptions options;
    options.Seconds = seconds;
    options.Video.Width = 320;
    options.Video.Height = 180;
    options.Video.Gop = gop;
    options.Audio = audio;
    return mkrec::MakeMovie(options, path);
}

// The picture shown at engine frame n: the one whose interval holds n x 30 ms.
inline int PictureOfFrame(int64_t frame) {
    return static_cast<int>(frame * 30 * 30 / 1000);
}

// One engine on a PatternWindow (or a window made from one), ready as the main window makes
// it.
template <class Window> class BasicEnginePlayer {
  public:
    BasicEnginePlayer() {
        ok_ = Init(ctx, &window, "メイリオ") != 0;
        ctx.Ready = 1;
    }
    ~BasicEnginePlayer() {
        CloseMovie(ctx);
        ctx.Ready = 0;
        Shutdown(ctx);
    }
    BasicEnginePlayer(const BasicEnginePlayer&) = delete;
    BasicEnginePlayer& operator=(const BasicEnginePlayer&) = delete;

    // OpenMovie, the ready message, and the picture placed over the whole window as the
    // main window does after opening.
    ::testing::AssertionResult Open(const std::filesystem::path& path) {
        if (!ok_)
            return ::testing::AssertionFailure() << "Init failed";
        if (!OpenMovie(ctx, path))
            return ::testing::AssertionFailure() << "OpenMovie failed";
        if (!window.Messages().WaitFor(WM_APP_MEDIA_READY, 10s)) {
            return ::testing::AssertionFailure() << "no ready message";
        }
        if (!SetVideoRect(ctx, 160, 90, 0, 0, 1.0f, 0)) {
            return ::testing::AssertionFailure() << "SetVideoRect failed";
        }
        // Placing the picture while stopped shows the first frame again and pauses there.
        if (!window.Messages().WaitFor(WM_APP_MEDIA_PAUSED, 10s)) {
            return ::testing::AssertionFailure() << "no paused message after placing";
        }
        return ::testing::AssertionSuccess();
    }
    // SeekToFrame and the paused message that confirms the picture is on the screen.
    ::testing::AssertionResult Seek(int64_t frame) {
        window.Messages().Clear(); // a paused message of an earlier Pause is not this one
        if (!SeekToFrame(ctx, frame))
            return ::testing::AssertionFailure() << "SeekToFrame failed";
        if (!window.Messages().WaitFor(WM_APP_MEDIA_PAUSED, 10s)) {
            return ::testing::AssertionFailure() << "no paused message";
        }
        return ::testing::AssertionSuccess();
    }

    Window window;
    EngineContext ctx;

  private:
    bool ok_ = false;
};

using EnginePlayer = BasicEnginePlayer<PatternWindow>;

} // namespace kestrel::testing
