#pragma once
// The main window's jobs: the commands that act on whole files (CSV export, snapshot, join,
// delete). Three of them run their file work on the JobThread with the progress bar over the
// bottom of the video; while one runs every control of the window is off and the job's own
// dialogs are the only thing the user can answer. The window keeps painting: the job's
// dialogs run on the user-interface thread, the work on the JobThread reports only through
// WM_APP+1302 (done), +1303 (progress) and +1304 (delete done).
#include "engine/EngineApi.h"
#include "jobs/JobDialogs.h"
#include "jobs/JobThread.h"
#include "shell/CommandHandler.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

namespace kestrel {

class CCsvExportCommand;
class CDeleteCommand;
class CFilerContainerDlg;
class CJoinCommand;
class CMovieStatic;
class CSkinProgressBarCtrl;
class CSnapshotCommand;
class CTransportController;
class JobHost;

struct JobContext {
    const EngineApi& Api;
    EngineContext& Engine;
    CTransportController& Transport;
    CFilerContainerDlg& Panel;
    CSkinProgressBarCtrl& Progress;
    CMovieStatic& Video;
    QWidget& Window; // owns the job's dialogs and receives its messages
    JobHost& Host;
};

class CJobController : public CommandHandler {
  public:
    enum Command : int { IdSnapshot = 38006, IdJoin = 38007, IdDelete = 38010, IdCsv = 38012 };

    CJobController(const JobContext& context, JobDialogs dialogs);
    ~CJobController() override;
    CJobController(const CJobController&) = delete;
    CJobController& operator=(const CJobController&) = delete;

    const JobContext& Context() const { return context_; }
    JobDialogs Dialogs;

    CCsvExportCommand& Csv() { return *csv_; }
    CSnapshotCommand& Snapshot() { return *snapshot_; }
    CJoinCommand& Join() { return *join_; }
    CDeleteCommand& Delete() { return *delete_; }

    // The four commands; false for other ids.
    bool OnCommand(int id) override;
    // WM_APP+1302..1304; false for other messages.
    bool OnMessage(int message, intptr_t wParam, intptr_t lParam);

    // Starting a job, on the user-interface thread: the progress bar at 0 over the video,
    // JobRunning set, every control off.
    void BeginJob();
    // The file work on the JobThread. `finish` runs afterwards on the user-interface thread,
    // before the end of the job is handled: the place for the job's messages.
    void RunOnJobThread(std::function<void()> work, std::function<void()> finish = {});
    // A job that ends before any file work (cancelled, refused): the end, as if its work had
    // posted it.
    void EndWithoutWork(bool success);

    // From the JobThread (or any thread).
    void PostProgress(int64_t done, int64_t total);
    void PostDone(bool success);
    void PostDeleteDone(bool success);

    // The thread has ended and the job's own follow-up ran; called before any end handling.
    void TakeFinishedThread();
    // At shutdown: a running job is told to stop and waited for.
    void Stop();

    // Set while a job runs; the job stops between files once it is cleared.
    std::atomic<int> JobRunning{0};
    // The end-of-job message "完了しました。" is due.
    std::atomic<int> JobCompleted{0};
    int RewindAfterJob = 0;
    // The bar's position, 0..100.
    int ProgressPosition() const;

  private:
    void OnProgress(intptr_t done, intptr_t total);
    void OnJobDone(bool success);

    JobContext context_;
    JobThread thread_;
    std::function<void()> finish_;
    std::unique_ptr<CCsvExportCommand> csv_;
    std::unique_ptr<CSnapshotCommand> snapshot_;
    std::unique_ptr<CJoinCommand> join_;
    std::unique_ptr<CDeleteCommand> delete_;
};

} // namespace kestrel
