#pragma once
// The viewer's connection to the maker's site: once per run, on a thread of its own, it asks
// whether a newer recorder firmware or viewer is published, and shows a notice when one is.
// The map bridge starts the check the first time its page is ready, so it runs only after the
// map's server could be reached. Qt windows belong to the user-interface thread: the check's
// thread hands the notice text over by a posted event and the notice is shown there.
#include "update/VersionCheck.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class QThread;

namespace kestrel {

class CUpdateDialog;

class CInetConnectionAsync : public QObject {
    Q_OBJECT
  public:
    explicit CInetConnectionAsync(QObject* parent = nullptr);
    ~CInetConnectionAsync() override;

    // Starts the update check for the recorder firmware version text `deviceVersion` (empty
    // when the source is not an SD card or its version could not be read). Only the first call
    // of a run counts, and only when a site is configured; true when a check was started.
    bool StartUpdateCheck(const QString& deviceVersion);

    // Ends the check: a running fetch is given up, the thread is waited for and the notice is
    // closed. The application calls it when it shuts down; later calls do nothing.
    void Stop();

    // The recorder version the check was started with.
    const QString& DeviceVersion() const { return deviceVersion_; }
    bool Started() const { return started_; }
    // The check's thread has ended (with or without a notice to show).
    bool Finished() const { return finished_.load(); }
    // The notice, once one was shown.
    CUpdateDialog* Notice() const { return notice_.get(); }

  protected:
    bool event(QEvent* event) override;

  private:
    void ShowNotice(const QString& text);

    QString deviceVersion_;
    bool started_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::unique_ptr<QThread> thread_;
    std::unique_ptr<CUpdateDialog> notice_;
};

} // namespace kestrel
