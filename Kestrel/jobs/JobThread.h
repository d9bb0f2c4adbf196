#pragma once
// The worker a job's file work runs on. One job at a time: a new one starts only after the
// previous one was waited for.
#include <functional>
#include <thread>

namespace kestrel {

class JobThread {
  public:
    JobThread() = default;
    ~JobThread() { Join(); }
    JobThread(const JobThread&) = delete;
    JobThread& operator=(const JobThread&) = delete;

    // Runs `work` on a new thread; false when one is still there.
    bool Start(std::function<void()> work);
    // Waits for the thread, if any. Called once the job has said that it ends, so the wait
    // is only for the thread to return.
    void Join();
    bool Exists() const { return thread_.joinable(); }

  private:
    std::thread thread_;
};

} // namespace kestrel
