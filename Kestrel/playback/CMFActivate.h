#pragma once
// The activation object handed to the video branch: the renderer asks it for its
// presenter, and it makes one (or returns the one it made) for the video window.
#include "platform/VideoWindow.h"
#include "playback/MediaResult.h"
#include "playback/VideoPresenter.h"

#include <memory>
#include <mutex>

namespace kestrel::playback {

class CMFActivate {
  public:
    explicit CMFActivate(VideoWindow* window) : window_(window) {}

    // The presenter, created on the first request.
    MediaResult ActivateObject(std::shared_ptr<VideoPresenter>& presenter);
    // Shuts the kept presenter down and lets it go.
    MediaResult ShutdownObject();
    // Forgets the kept presenter without shutting it down.
    MediaResult DetachObject();

  private:
    // Guards presenter_. Taken by the player when it makes, shuts down or drops the
    // presenter; a leaf: the presenter is shut down after the lock is released.
    std::mutex lock_;
    VideoWindow* window_;
    std::shared_ptr<VideoPresenter> presenter_;
};

} // namespace kestrel::playback
