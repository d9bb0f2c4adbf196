#include "jobs/CDeleteCommand.h"

#include "engine/SensorCache.h"
#include "jobs/CJobController.h"
#include "jobs/JobHost.h"
#include "shell/UiQText.h"
#include "skin/CMsgBox.h"
#include "skin/CSkinProgressBarCtrl.h"
#include "sources/CFileListCtrl.h"
#include "sources/CFileSelectDlg.h"
#include "sources/CFilerContainerDlg.h"
#include "transport/CTransportController.h"
#include "video/CMovieStatic.h"
#include "window/ButtonEnabling.h"

#include <QFile>

namespace kestrel {

void CDeleteCommand::Run() {
    const JobContext& c = jobs_.Context();
    CTransportController& transport = c.Transport;
    CFilerContainerDlg& panel = c.Panel;
    if (transport.GuardRefuses())
        return;
    transport.ToStart();
    PrefetchSensorData(c.Engine, nullptr);
    jobs_.BeginJob();
    openPath_.clear();

    CFileSelectDlg dialog(&c.Window);
    dialog.SelectMode = CFileSelectDlg::ModeDelete;
    const int remembered = std::max(0, panel.List()->currentRow());
    const RecordingEntry* rememberedEntry = panel.Row(remembered);
    const std::string rememberedName = rememberedEntry ? rememberedEntry->FileName : std::string();
    if (!dialog.SetAllEntries(panel.CollectAllRecordings())) {
        // 表示数が1500を超えています。1500項目表示します。
        CMsgBox(&c.Window).Show(UiQText(105), CMsgBox::ErrorCaption());
    }
    dialog.SetListEntries(panel.List()->Rows);
    if (dialog.exec() != QDialog::Accepted || dialog.Result().empty()) {
        panel.SelectRow(remembered);
        jobs_.EndWithoutWork(false);
        return;
    }
    const Catalogue marked = dialog.Result();

    transport.StopPlayback();
    // The open recording is let go of before anything is moved.
    const RecordingEntry* open = transport.CurrentEntry();
    for (const RecordingEntry& entry : marked) {
        if (entry.FileName == rememberedName && open && transport.RecordingOpen()) {
            openPath_ = open->FullPath;
            transport.CloseForJob();
            break;
        }
    }

    auto outcome = std::make_shared<Outcome>();
    jobs_.RunOnJobThread(
        [this, marked, outcome] {
            const auto count = static_cast<int64_t>(marked.size());
            for (int64_t i = count - 1; i >= 0; --i) {
                if (jobs_.JobRunning == 0) {
                    jobs_.PostDone(true);
                    return;
                }
                const RecordingEntry& entry = marked[static_cast<size_t>(i)];
                if (!QFile::moveToTrash(QString::fromStdString(entry.FullPath))) {
                    outcome->Failed = true;
                    jobs_.JobRunning = 0;
                    jobs_.PostDone(true);
                    return;
                }
                outcome->Deleted.push_back(entry);
                jobs_.PostProgress(static_cast<int64_t>(outcome->Deleted.size()) - 1, count);
            }
            jobs_.PostProgress(count, count);
            jobs_.PostDeleteDone(true);
        },
        [this, outcome] { Finish(*outcome); });
}

void CDeleteCommand::Finish(const Outcome& outcome) {
    const JobContext& c = jobs_.Context();
    CFilerContainerDlg& panel = c.Panel;
    CTransportController& transport = c.Transport;
    RemoveEntriesByName(panel.Recordings, outcome.Deleted);
    RemoveEntriesByName(panel.FolderEntries, outcome.Deleted);
    RemoveEntriesByName(panel.AllRecordings, outcome.Deleted);
    for (size_t i = 0; i < panel.AllRecordings.size(); ++i)
        panel.AllRecordings[i].ListIndex = static_cast<int32_t>(i);
    panel.List()->Refill(panel.Recordings);
    panel.update();
    if (!outcome.Failed)
        return;
    // 動画ファイルの削除に失敗しました。
    CMsgBox(&c.Window).Show(UiQText(97), CMsgBox::ErrorCaption());
    if (openPath_.empty())
        return;
    // The recording closed for the job is still there: it is shown again; one that went is
    // gone from the views as well.
    for (int row = 0; row < panel.RowCount(); ++row) {
        if (panel.Row(row)->FullPath == openPath_) {
            transport.ForgetCurrentRow();
            transport.SelectRecording(row, CTransportController::OpenByUser);
            return;
        }
    }
    transport.ResetPlaybackViews();
}

void CDeleteCommand::OnDeleteDone(bool success) {
    const JobContext& c = jobs_.Context();
    CFilerContainerDlg& panel = c.Panel;
    CTransportController& transport = c.Transport;
    transport.ForgetCurrentRow();
    panel.OpenMode = 0;
    if (panel.SourceKind == SourceSdCard || panel.SourceKind == SourceFolder)
        panel.OpenSource(panel.SourcePath, panel.SourceKind);
    if (panel.RowCount() > 0) {
        transport.SelectRecording(0, CTransportController::OpenByUser);
    } else {
        transport.ResetPlaybackViews();
    }
    if (panel.SourceKind == SourceSdCard && panel.RowCount() == 0) {
        c.Host.SetCsvBlocked(1);
        c.Host.ClearAfterEmptiedSource();
    }
    panel.update();
    jobs_.JobCompleted = 1;
    jobs_.JobRunning = 0;
    jobs_.PostDone(success);
}

} // namespace kestrel
