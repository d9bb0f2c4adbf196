#pragma once
// The video presenter: pulls decoded frames from the mixer into a pool of two samples,
// times them against the presentation clock on its scheduler thread and shows each one in
// the video window through the present engine. Supports frame stepping, repaint of the
// current frame, rate changes with scrubbing (rate 0) and a capture of the current frame.
#include "platform/VideoWindow.h"
#include "playback/MediaResult.h"
#include "playback/PresentEngine.h"
#include "playback/PresentationClock.h"
#include "playback/SamplePool.h"
#include "playback/Scheduler.h"
#include "playback/VideoMixer.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

namespace kestrel::playback {

// What the presenter tells its renderer (the session).
class PresenterEventSink {
  public:
    virtual ~PresenterEventSink() = default;
    virtual void Notify(int32_t eventCode, int64_t param1, int64_t param2) = 0;
};

// Event codes of the renderer's event sink.
inline constexpr int32_t kEventComplete = 0x01;   // the stream has been shown to its end
inline constexpr int32_t kEventErrorAbort = 0x03; // param1: the error
inline constexpr int32_t kEventDisplayChanged = 0x16;
inline constexpr int32_t kEventScrubTime = 0x23; // param1, param2: the time's halves
inline constexpr int32_t kEventStepComplete = 0x24;
inline constexpr int32_t kEventProcessingLatency = 33; // param1: 100 ns

// The video format the renderer gives the presenter.
struct VideoFormat {
    int Width = 0;
    int Height = 0;
    int FrameRateNumerator = 0;
    int FrameRateDenominator = 0;
    int PixelAspectNumerator = 1;
    int PixelAspectDenominator = 1;
    friend bool operator==(const VideoFormat&, const VideoFormat&) = default;
};

// Normalised source rectangle of the video display control.
struct NormalizedRect {
    float Left = 0.0f;
    float Top = 0.0f;
    float Right = 1.0f;
    float Bottom = 1.0f;
};

class VideoPresenter {
  public:
    enum class RenderState { Started, Stopped, Paused, Shutdown };
    enum class FrameStep { None, WaitingStart, Pending, Scheduled, Complete };
    enum class Message {
        Flush,
        InvalidateMediaType,
        ProcessInputNotify,
        BeginStreaming,
        EndStreaming,
        EndOfStream,
        Step,
        CancelStep,
    };
    static constexpr int kPoolSize = 2;

    explicit VideoPresenter(VideoWindow* window);
    ~VideoPresenter();
    VideoPresenter(const VideoPresenter&) = delete;
    VideoPresenter& operator=(const VideoPresenter&) = delete;

    // Service lookup by the renderer; leaves the shut-down state.
    MediaResult InitServicePointers(VideoMixer* mixer, const PresentationClock* clock,
                                    PresenterEventSink* sink);
    MediaResult ReleaseServicePointers();
    void Shutdown();

    // The square-pixel display area of `format` (the size of the presenter's samples).
    static void DisplaySize(const VideoFormat& format, int& width, int& height);
    // Accepts a new format: a new pool of two samples, the scheduler's frame rate.
    MediaResult SetMediaType(const VideoFormat& format);

    MediaResult ProcessMessage(Message message, int64_t param = 0);

    // Clock state.
    MediaResult OnClockStart(int64_t time);
    MediaResult OnClockStop();
    MediaResult OnClockPause();
    MediaResult OnClockRestart();
    MediaResult OnClockSetRate(float rate);

    // Rate support: any rate from -4 to 4; 0 scrubs.
    static bool IsRateSupported(float rate) { return rate >= -4.0f && rate <= 4.0f; }

    // Video display control.
    MediaResult GetNativeVideoSize(int& width, int& height) const;
    MediaResult SetVideoPosition(const NormalizedRect* source, const Rect* destination);
    MediaResult GetVideoPosition(Rect& destination) const;
    MediaResult SetAspectRatioMode(int mode);
    MediaResult RepaintVideo();
    // The current frame as a bottom-up 32-bit bitmap of width x height.
    MediaResult CaptureFrame(int width, int height, std::vector<uint8_t>& out);

    // Mixer bitmap.
    MediaResult SetAlphaBitmap(AlphaBitmap bitmap);
    MediaResult ClearAlphaBitmap();

    // 1: a sample that comes back pulls the next frame at once; 0 (after a positioned
    // start): the next frame waits for the next input notification.
    void SetProcessOnSampleFree(int flag) { processOnSampleFree_ = flag; }
    int ProcessOnSampleFree() const { return processOnSampleFree_; }

    RenderState GetRenderState() const;
    FrameStep GetFrameStepState() const;
    uint32_t Token() const;
    size_t FreeSampleCount() const;
    // Pictures shown more than one picture's duration after their time while the clock ran,
    // since the presenter was made.
    int64_t LatePictureCount() const;

  private:
    // Fills the pool for the current generation, from `reuse` where it can.
    MediaResult CreateSamples(std::vector<SamplePtr> reuse = {});
    MediaResult ProcessOutputLoop();
    MediaResult ProcessOutput();
    MediaResult DeliverSample(const SamplePtr& sample, bool repaint);
    MediaResult DeliverFrameStepSample(const SamplePtr& sample);
    MediaResult StartFrameStep();
    MediaResult CompleteFrameStep(const SamplePtr& sample);
    MediaResult CancelFrameStep();
    MediaResult PresentSample(const SamplePtr& sample); // the scheduler's callback
    void OnSampleFree(const SamplePtr& sample);
    void CheckEndOfStream();
    void Flush();
    void NotifyEvent(int32_t code, int64_t p1 = 0, int64_t p2 = 0);

    PresentEngine presentEngine_;
    Scheduler scheduler_;

    // Object lock: guards render state, step state, flags, format, services. Taken by the
    // session thread, the scheduler's thread and the engine's thread (inside the player
    // lock); the pool lock, the presented lock and the present engine's lock come after it.
    // Re-entrant because a sample presented at once can come back and pull the next frame
    // on the same thread.
    mutable std::recursive_mutex objectLock_;
    RenderState renderState_ = RenderState::Shutdown;
    FrameStep stepState_ = FrameStep::None;
    int64_t stepsLeft_ = 0;
    std::deque<SamplePtr> stepSamples_;
    SamplePtr stepScheduled_;
    float rate_ = 1.0f;
    bool repaint_ = false;
    bool prerolled_ = false;
    bool sampleNotify_ = false;
    bool endStreaming_ = false;
    std::optional<VideoFormat> format_;
    int outWidth_ = 0;
    int outHeight_ = 0;
    int aspectMode_ = 1;
    VideoMixer* mixer_ = nullptr;
    const PresentationClock* clock_ = nullptr;
    PresenterEventSink* sink_ = nullptr;
    std::atomic<int> processOnSampleFree_{1};

    // Pool lock: guards the free list, the token and the counters. Taken inside the object
    // lock or alone (a freed sample returns to the pool before the object lock is taken);
    // nothing is taken inside it.
    mutable std::mutex poolLock_;
    SamplePool pool_;
    uint32_t token_ = 0;

    // Presented lock (a leaf): guards the sample on the screen, kept for repaint and
    // capture. Taken by the presenting thread and, inside the object lock, by repaint and
    // capture on the engine's thread.
    mutable std::mutex presentedLock_;
    SamplePtr presented_;
};

} // namespace kestrel::playback
