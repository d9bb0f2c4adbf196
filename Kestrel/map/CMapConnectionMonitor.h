#pragma once
// The connectivity monitor: on its own thread, once a second, asks the tile server whether it
// answers and keeps the result in `IsConnected`, which the user-interface thread reads. A
// local tile folder counts as connected while the folder is there.
#include <QThread>
#include <QUrl>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace kestrel {

class CMapConnectionMonitor : public QThread {
    Q_OBJECT
  public:
    static constexpr int kPeriodMs = 1000;
    static constexpr int kProbeTimeoutMs = 3000;

    // `probeUrl`: the server's root; `localFolder`: the tile folder of a file:// template.
    // Neither: never connected.
    CMapConnectionMonitor(QUrl probeUrl, QString localFolder);
    ~CMapConnectionMonitor() override;

    // Sets the stop flag and waits for the thread.
    void Stop();

    std::atomic<int> IsConnected{0};
    std::atomic<int> Probes{0}; // answers and failures so far

  protected:
    void run() override;

  private:
    bool Probe();
    bool WaitPeriod();

    const QUrl probeUrl_;
    const QString localFolder_;
    // stopMutex_ guards nothing but the wait on stopWake_; stop_ itself is atomic so that the
    // probe's event loop can look at it without the lock.
    std::mutex stopMutex_;
    std::condition_variable stopWake_;
    std::atomic<bool> stop_{false};
};

} // namespace kestrel
