#pragma once
// The source watcher: a thread that looks every 100 ms whether the opened source's path still
// exists and, once it does not, posts WM_APP+1201 to the window to notify. It only reads the
// watched path and posts; the path is handed over under a lock.
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

class QObject;

namespace kestrel {

class CMovieResource {
  public:
    static constexpr int kPeriodMs = 100;

    // Starts the watcher; `notify` must outlive it.
    explicit CMovieResource(QObject* notify);
    // Asks the thread to stop and waits for it.
    ~CMovieResource();
    CMovieResource(const CMovieResource&) = delete;
    CMovieResource& operator=(const CMovieResource&) = delete;

    // Watches `path` from now on; an empty path watches nothing. Clears Gone.
    void SetWatchedPath(const std::filesystem::path& path);
    std::filesystem::path WatchedPath() const;
    // 1 once the watched path was found missing (the path is then emptied).
    int Gone() const { return gone_.load(); }
    bool Running() const { return thread_.joinable(); }

  private:
    void Loop();
    // One look at the path; true when it has just gone.
    bool CheckOnce();

    QObject* notify_;
    mutable std::mutex mutex_; // guards path_ and stop_
    std::condition_variable wake_;
    std::filesystem::path path_;
    bool stop_ = false;
    std::atomic<int> gone_{0};
    std::thread thread_;
};

} // namespace kestrel
