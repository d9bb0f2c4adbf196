#pragma once
// The media session: plays one topology (a video branch into the presenter and an audio
// branch into the audio renderer, both fed from one source) on a thread of its own.
// Commands are queued and carried out in order on that thread; their outcome arrives as
// events in the session's event queue.
#include "playback/AudioRenderer.h"
#include "playback/CMFActivate.h"
#include "playback/MediaEvent.h"
#include "playback/MediaSource.h"
#include "playback/PresentationClock.h"
#include "playback/VideoDecoder.h"
#include "playback/VideoMixer.h"
#include "playback/VideoPresenter.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

struct AVFrame;
struct AVPacket;

namespace kestrel::playback {

struct TopologyBranch {
    int StreamIndex = 0;
    MajorType Type = MajorType::Other;
    std::shared_ptr<CMFActivate> Activate; // video: gives the presenter
};

struct Topology {
    std::shared_ptr<MediaSource> Source;
    std::vector<TopologyBranch> Branches;
    bool HardwareDecoding = false;
};

class MediaSession : public PresenterEventSink {
  public:
    MediaSession();
    ~MediaSession() override;
    MediaSession(const MediaSession&) = delete;
    MediaSession& operator=(const MediaSession&) = delete;

    MediaEventQueue& Events() { return events_; }

    // Resolves the topology: SessionTopologySet (with the outcome), then, after the first
    // picture has been shown, SessionTopologyStatus ready.
    MediaResult SetTopology(Topology topology);
    // From `position` (100 ns): the picture of that time is shown before the clock runs.
    // Without a position: resumes when paused, starts from the beginning when stopped.
    MediaResult Start(std::optional<int64_t> position);
    MediaResult Pause();
    MediaResult Stop();
    // Rate control: the clock's rate; thinning leaves out pictures nothing refers to.
    MediaResult SetRate(bool thin, float rate);
    float GetRate() const;
    // Closes asynchronously; SessionClosed follows.
    MediaResult Close();
    // Ends the thread and releases everything; the event queue is shut down.
    void Shutdown();

    const PresentationClock* GetClock() const { return &clock_; }
    std::shared_ptr<VideoPresenter> GetVideoPresenter() const;
    std::shared_ptr<AudioRenderer> GetAudioRenderer() const;

    // While a hold exists queued commands wait, so that commands queued together are
    // carried out together (a start followed at once by a pause shows one picture only).
    class CommandHold {
      public:
        explicit CommandHold(MediaSession& session);
        ~CommandHold();
        CommandHold(const CommandHold&) = delete;
        CommandHold& operator=(const CommandHold&) = delete;

      private:
        MediaSession& session_;
    };

    // The presenter's events.
    void Notify(int32_t eventCode, int64_t param1, int64_t param2) override;

  private:
    enum class CommandType { SetTopology, Start, Pause, Stop, SetRate, Close, RendererComplete };
    struct Command {
        CommandType Type = CommandType::Start;
        std::optional<int64_t> Position;
        float Rate = 1.0f;
        bool Thin = false;
        Topology Topo;
    };
    enum class State { Empty, Stopped, Running, Paused, Ended, Closed };

    MediaResult Post(Command command);
    void Wake();
    void ThreadMain();
    void Execute(Command& command);
    void ExecuteSetTopology(Topology& topology);
    void ExecuteStart(std::optional<int64_t> position);
    void ExecutePause();
    void ExecuteStop();
    void ExecuteSetRate(bool thin, float rate);
    void ExecuteClose();
    void ReleaseTopology();
    void FlushPipeline();
    void Preroll(int64_t position);
    // One step of streaming; false when it cannot go on until woken.
    bool StreamStep();
    // Reads and decodes one packet; at the end of the file drains the decoder.
    void DecodeNext();
    void ClearPending();

    MediaEventQueue events_;
    PresentationClock clock_;
    VideoMixer mixer_;

    // Session lock: guards the command queue, holds, the wake flag and the branch pointers.
    // Taken by callers posting commands (the engine's thread, inside the player lock) and by
    // the session thread between steps. A leaf: the session thread never calls out while
    // holding it.
    mutable std::mutex lock_;
    std::condition_variable wake_;
    std::deque<Command> commands_;
    int holds_ = 0;
    bool streamReady_ = false;
    uint64_t wakeCount_ = 0;
    bool shutdown_ = false;
    bool closed_ = false;
    std::shared_ptr<VideoPresenter> presenter_;
    std::shared_ptr<AudioRenderer> audio_;
    float rate_ = 1.0f;

    // Owned by the session thread.
    State state_ = State::Empty;
    std::shared_ptr<MediaSource> source_;
    std::vector<TopologyBranch> branches_;
    std::unique_ptr<VideoDecoder> decoder_;
    int videoIndex_ = -1;
    int audioIndex_ = -1;
    bool audioActive_ = true;
    bool normalRate_ = true;       // the last rate the thread set was 1.0
    std::deque<AVFrame*> pending_; // decoded pictures not yet taken by the mixer
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    bool videoEnded_ = false;
    bool endOfStreamSent_ = false;
    int64_t startFrom_ = 0;

    std::thread thread_;
};

} // namespace kestrel::playback
