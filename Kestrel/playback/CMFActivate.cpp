#include "playback/CMFActivate.h"

namespace kestrel::playback {

MediaResult CMFActivate::ActivateObject(std::shared_ptr<VideoPresenter>& presenter) {
    std::lock_guard lock(lock_);
    if (!presenter_)
        presenter_ = std::make_shared<VideoPresenter>(window_);
    presenter = presenter_;
    return kOk;
}

MediaResult CMFActivate::ShutdownObject() {
    std::shared_ptr<VideoPresenter> presenter;
    {
        std::lock_guard lock(lock_);
        presenter.swap(presenter_);
    }
    if (presenter)
        presenter->Shutdown();
    return kOk;
}

MediaResult CMFActivate::DetachObject() {
    std::lock_guard lock(lock_);
    presenter_.reset();
    return kOk;
}

} // namespace kestrel::playback
