#pragma once
// The player: one media session that plays the open recording into the video window (a
// video branch into the presenter, an audio branch into the audio device). Reports the
// session's progress by posting messages to the video window.
#include "platform/VideoWindow.h"
#include "playback/CMFActivate.h"
#include "playback/MediaEvent.h"
#include "playback/MediaResult.h"
#include "playback/MediaSession.h"
#include "playback/MediaSource.h"

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

namespace kestrel::playback {

class CPlayer {
  public:
    enum PlayerState {
        kClosed = 0,
        kReady = 1,
        kOpenPending = 2,
        kStarted = 3,
        kPaused = 4,
        kStopped = 5,
        kClosing = 6,
    };
    static constexpr int kCloseTimeoutMs = 5000;
    static constexpr int kEndMessageDelayMs = 200;

    // A player for `video` (its video window and the receiver of its messages).
    static MediaResult CreateInstance(VideoWindow* video, std::unique_ptr<CPlayer>& player);
    ~CPlayer();
    CPlayer(const CPlayer&) = delete;
    CPlayer& operator=(const CPlayer&) = delete;

    // Closes a previous session, opens `path` and sets its playback topology. The topology
    // becomes ready later: state 5 and WM_APP_MEDIA_READY.
    MediaResult OpenRecording(const std::filesystem::path& path);
    // Resumes from the current position; only when paused or stopped.
    MediaResult Play();
    // Stops and starts again at `position` (100 ns).
    MediaResult StartAt(int64_t position);
    // 0..65535 on every audio channel.
    MediaResult SetVolume(int value);
    // Closes the session, waiting at most 5 s for it to confirm, and releases everything.
    MediaResult CloseSession();

    void SetHardwareDecoding(bool on);
    int GetState() const;
    // The engine pauses and stops the session itself and records the state here.
    void SetState(int state);
    int AudioDisabled() const;
    int Volume() const;
    void SetProcessOnSampleFree(int flag);

    // The session's services; each may be none.
    std::shared_ptr<MediaSession> Session() const;
    std::shared_ptr<MediaSource> Source() const;
    const PresentationClock* Clock() const;
    std::shared_ptr<MediaSession> RateControl() const;
    std::shared_ptr<VideoPresenter> DisplayControl() const;
    std::shared_ptr<VideoPresenter> MixerBitmap() const;
    std::shared_ptr<AudioRenderer> AudioVolume() const;

  private:
    explicit CPlayer(VideoWindow* video) : video_(video), notify_(video) {}

    MediaResult BuildSessionTopology();
    MediaResult BuildPlaybackTopology(const std::vector<StreamDescriptor>& streams,
                                      Topology& topology);
    void EventLoop(std::shared_ptr<MediaSession> session);
    void Invoke(const MediaEvent& event);
    void HandleTopologyReady(const MediaEvent& event);
    void HandleEndOfPresentation(const MediaEvent& event);
    void HandleNewPresentation(const MediaEvent& event);
    void HandleTopologySet(const MediaEvent& event);
    void HandleSessionStopped(const MediaEvent& event);
    void HandleSessionPaused(const MediaEvent& event);
    void HandleOtherEvent(const MediaEvent& event);
    void PostToWindow(int message, const MediaEvent& event);
    void SignalClose();
    bool WaitForClose(int timeoutMs);

    VideoWindow* video_;
    MessageTarget* notify_;

    // Player lock: guards the state, the session and its services, the flags and the
    // volume. Taken by the engine's slots (inside hFileMutex) and by the event thread for
    // each handler; the first of the player's locks: the session's, the presenter's and the
    // audio renderer's are taken inside it. Never held while waiting for the event thread.
    mutable std::recursive_mutex lock_;
    int state_ = kClosed;
    int mediaFoundationStarted_ = 1;
    int volume_ = 0;
    int audioDisabled_ = 0;
    bool hardwareDecoding_ = false;
    std::shared_ptr<CMFActivate> activate_;
    std::shared_ptr<MediaSession> session_;
    std::shared_ptr<MediaSource> source_;
    const PresentationClock* clock_ = nullptr;
    std::shared_ptr<MediaSession> rateControl_;
    std::shared_ptr<VideoPresenter> display_;
    std::shared_ptr<VideoPresenter> mixerBitmap_;
    std::shared_ptr<AudioRenderer> audioVolume_;
    std::thread eventThread_;

    // The close event: auto-reset, set by the event thread when the session has closed.
    // closeLock_ guards closed_ and exists only for the closing thread to wait on the event
    // thread; a leaf, taken without the player lock.
    std::mutex closeLock_;
    std::condition_variable closeSignal_;
    bool closed_ = false;
};

} // namespace kestrel::playback
