#include "skin/CMovieResource.h"

#include "shell/AppEvent.h"

#include <chrono>
#include <system_error>

namespace kestrel {

CMovieResource::CMovieResource(QObject* notify) : notify_(notify) {
    thread_ = std::thread([this] { Loop(); });
}

CMovieResource::~CMovieResource() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void CMovieResource::SetWatchedPath(const std::filesystem::path& path) {
    std::lock_guard lock(mutex_);
    path_ = path;
    gone_ = 0;
}

std::filesystem::path CMovieResource::WatchedPath() const {
    std::lock_guard lock(mutex_);
    return path_;
}

bool CMovieResource::CheckOnce() {
    std::filesystem::path path = WatchedPath();
    if (path.empty())
        return false;
    std::error_code ec;
    const bool exists = std::filesystem::exists(path, ec);
    // A path that may not be examined may still be there; any other failure (a card pulled out
    // while mounted answers with I/O errors) counts as gone.
    if (exists || ec == std::errc::permission_denied)
        return false;
    std::lock_guard lock(mutex_);
    if (path_ != path)
        return false; // the owner has moved on to another source meanwhile
    path_.clear();
    gone_ = 1;
    return true;
}

void CMovieResource::Loop() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        lock.unlock();
        if (CheckOnce())
            PostAppEvent(notify_, WM_APP_SOURCE_GONE, 0, 0);
        lock.lock();
        wake_.wait_for(lock, std::chrono::milliseconds(kPeriodMs), [this] { return stop_; });
    }
}

} // namespace kestrel
