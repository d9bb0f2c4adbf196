#pragma once
// The session's events and the queue its owner reads them from.
#include "playback/MediaResult.h"
#include "playback/MediaSource.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

namespace kestrel::playback {

enum class MediaEventType {
    SessionTopologySet = 101,
    SessionTopologyStatus = 111,
    SessionStarted = 103,
    SessionPaused = 104,
    SessionStopped = 105,
    SessionClosed = 106,
    SessionRateChanged = 108,
    EndOfPresentation = 208,
    NewPresentation = 205,
    Error = 1,
};

// Topology status carried by SessionTopologyStatus: the topology is ready to play.
inline constexpr int kTopologyStatusReady = 100;

struct MediaEvent {
    MediaEventType Type = MediaEventType::Error;
    MediaResult Status = kOk;
    int TopologyStatus = 0;
    std::vector<StreamDescriptor> Presentation; // NewPresentation: the new streams
};

class MediaEventQueue {
  public:
    void Post(MediaEvent event) {
        std::lock_guard lock(lock_);
        if (shutdown_)
            return;
        events_.push_back(std::move(event));
        ready_.notify_one();
    }
    // Waits for the next event; kShutdown once the queue has been shut down and emptied.
    MediaResult GetEvent(MediaEvent& event) {
        std::unique_lock lock(lock_);
        ready_.wait(lock, [&] { return shutdown_ || !events_.empty(); });
        if (events_.empty())
            return kShutdown;
        event = std::move(events_.front());
        events_.pop_front();
        return kOk;
    }
    void Shutdown() {
        std::lock_guard lock(lock_);
        shutdown_ = true;
        ready_.notify_all();
    }

  private:
    std::mutex lock_; // guards events_ and shutdown_ (a leaf: nothing is taken under it)
    std::condition_variable ready_;
    std::deque<MediaEvent> events_;
    bool shutdown_ = false;
};

} // namespace kestrel::playback
