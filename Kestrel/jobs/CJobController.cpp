#include "jobs/CJobController.h"

#include "jobs/CCsvExportCommand.h"
#include "jobs/CDeleteCommand.h"
#include "jobs/CJoinCommand.h"
#include "jobs/CSnapshotCommand.h"
#include "jobs/JobHost.h"
#include "shell/AppEvent.h"
#include "shell/UiQText.h"
#include "skin/CMsgBox.h"
#include "skin/CSkinProgressBarCtrl.h"
#include "transport/CTransportController.h"
#include "video/CMovieStatic.h"

#include <QWidget>

namespace kestrel {

CJobController::CJobController(const JobContext& context, JobDialogs dialogs)
    : Dialogs(std::move(dialogs)), context_(context),
      csv_(std::make_unique<CCsvExportCommand>(*this)),
      snapshot_(std::make_unique<CSnapshotCommand>(*this)),
      join_(std::make_unique<CJoinCommand>(*this)),
      delete_(std::make_unique<CDeleteCommand>(*this)) {}

CJobController::~CJobController() {
    Stop();
}

void CJobController::Stop() {
    JobRunning = 0;
    thread_.Join();
    finish_ = nullptr;
}

bool CJobController::OnCommand(int id) {
    switch (id) {
    case IdCsv:
        csv_->Run();
        return true;
    case IdSnapshot:
        snapshot_->Run();
        return true;
    case IdJoin:
        join_->Run();
        return true;
    case IdDelete:
        delete_->Run();
        return true;
    default:
        return false;
    }
}

bool CJobController::OnMessage(int message, intptr_t wParam, intptr_t lParam) {
    switch (message) {
    case WM_APP_JOB_PROGRESS:
        OnProgress(wParam, lParam);
        return true;
    case WM_APP_JOB_DONE:
        OnJobDone(lParam != 0);
        return true;
    case WM_APP_DELETE_DONE:
        TakeFinishedThread();
        delete_->OnDeleteDone(lParam != 0);
        return true;
    default:
        return false;
    }
}

void CJobController::BeginJob() {
    CSkinProgressBarCtrl& bar = context_.Progress;
    bar.SetPos(0);
    bar.raise();
    bar.repaint();
    bar.PlaceOver(&context_.Window, &context_.Video);
    JobRunning = 1;
    context_.Host.SetControlsForJob(false);
}

void CJobController::RunOnJobThread(std::function<void()> work, std::function<void()> finish) {
    finish_ = std::move(finish);
    // The bar is shown once there is work to follow.
    context_.Progress.PlaceOver(&context_.Window, &context_.Video);
    context_.Progress.show();
    context_.Progress.raise();
    if (!thread_.Start(std::move(work))) {
        // Never two jobs at once: the window is off while one runs.
        finish_ = nullptr;
        EndWithoutWork(false);
    }
}

void CJobController::EndWithoutWork(bool success) {
    JobRunning = 0;
    PostDone(success);
}

void CJobController::PostProgress(int64_t done, int64_t total) {
    PostAppEvent(&context_.Window, WM_APP_JOB_PROGRESS, static_cast<intptr_t>(done),
                 static_cast<intptr_t>(total));
}

void CJobController::PostDone(bool success) {
    PostAppEvent(&context_.Window, WM_APP_JOB_DONE, 0, success ? 1 : 0);
}

void CJobController::PostDeleteDone(bool success) {
    PostAppEvent(&context_.Window, WM_APP_DELETE_DONE, 0, success ? 1 : 0);
}

int CJobController::ProgressPosition() const {
    return context_.Progress.Pos();
}

void CJobController::OnProgress(intptr_t done, intptr_t total) {
    const long long position = total <= 0 ? 100 : static_cast<long long>(done) * 100 / total;
    CSkinProgressBarCtrl& bar = context_.Progress;
    bar.SetPos(static_cast<int>(position));
    bar.raise();
    bar.repaint();
}

void CJobController::TakeFinishedThread() {
    thread_.Join();
    if (auto finish = std::exchange(finish_, nullptr))
        finish();
}

void CJobController::OnJobDone(bool success) {
    TakeFinishedThread();
    JobRunning = 0;
    const JobContext& c = context_;
    CTransportController& transport = c.Transport;
    if (JobCompleted.exchange(0)) {
        CMsgBox(&c.Window).Show(UiQText(48), CMsgBox::DoneCaption()); // 完了しました。
    }
    c.Host.SetControlsForJob(true);
    c.Host.DecideMapOrLogo();
    const bool rewound = RewindAfterJob != 0;
    if (rewound) {
        c.Api.JumpToFrame(c.Engine, 0);
        transport.ShowFrame(0);
        transport.StopPlayback();
        RewindAfterJob = 0;
    }
    if (!transport.LastOpenFailed())
        c.Host.RefreshButtons();
    c.Progress.hide();
    if (transport.RestoreAfterJob()) {
        transport.ReopenAfterJob();
    } else if (success && !rewound) {
        // A seek leaves the player paused: after a rewind playback stands stopped at the start.
        transport.SeekToCurrentFrame();
    }
}

} // namespace kestrel
