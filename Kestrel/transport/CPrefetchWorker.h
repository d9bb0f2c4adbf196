#pragma once
// A worker that decodes one recording's data into the engine's prefetch slot. The main
// window runs two: the loader (the selected recording, after a short wait, reporting back
// with WM_APP+1301) and the prefetcher (the recording after it, reporting nothing).

#include <atomic>
#include <filesystem>
#include <thread>

class QObject;

namespace kestrel {

class ShownRecording;

class CPrefetchWorker {
  public:
    explicit CPrefetchWorker(ShownRecording& shown) : shown_(shown) {}
    ~CPrefetchWorker() { Join(); }
    CPrefetchWorker(const CPrefetchWorker&) = delete;
    CPrefetchWorker& operator=(const CPrefetchWorker&) = delete;

    // Waits for the previous run, then decodes `path` after `delayMs` on a new thread. With a
    // `notify` receiver it posts WM_APP+1301 with the prefetch's result when done.
    void Start(const std::filesystem::path& path, int delayMs, QObject* notify);
    // Waits for the running thread, if any. A decode in progress is asked to stop first so
    // that the user-interface thread is not held up by a long recording.
    void Join();
    bool Running() const { return thread_.joinable(); }

  private:
    ShownRecording& shown_;
    std::thread thread_;
    std::atomic<bool> finished_{true};
};

} // namespace kestrel
