#include "jobs/CJoinCommand.h"

#include "engine/RecordingJoiner.h"
#include "engine/SensorCache.h"
#include "jobs/CJobController.h"
#include "settings/SettingsStore.h"
#include "shell/UiQText.h"
#include "skin/CMsgBox.h"
#include "sources/CFileListCtrl.h"
#include "sources/CFileSelectDlg.h"
#include "sources/CFilerContainerDlg.h"
#include "transport/CTransportController.h"

#include <memory>

namespace kestrel {

void CJoinCommand::MarkJoined(const Catalogue& entries, int checked) {
    CFilerContainerDlg& panel = jobs_.Context().Panel;
    for (Catalogue* list : {&panel.List()->Rows, &panel.Recordings}) {
        for (RecordingEntry& row : *list) {
            for (const RecordingEntry& joined : entries) {
                if (row.FullPath == joined.FullPath)
                    row.Checked = checked;
            }
        }
    }
}

void CJoinCommand::Fail(const Catalogue& entries) {
    MarkJoined(entries, 0);
    // 動画の連結に失敗しました。
    CMsgBox(&jobs_.Context().Window).Show(UiQText(95), CMsgBox::ErrorCaption());
}

void CJoinCommand::Run() {
    const JobContext& c = jobs_.Context();
    CTransportController& transport = c.Transport;
    if (transport.GuardRefuses())
        return;
    transport.ToStart();
    PrefetchSensorData(c.Engine, nullptr);
    jobs_.RewindAfterJob = 1;
    jobs_.BeginJob();

    CFileSelectDlg dialog(&c.Window);
    dialog.SelectMode = CFileSelectDlg::ModeJoin;
    dialog.SetListEntries(c.Panel.List()->Rows);
    if (dialog.exec() != QDialog::Accepted || dialog.Result().empty()) {
        jobs_.EndWithoutWork(false);
        return;
    }
    const Catalogue selected = dialog.Result();

    const std::filesystem::path initial =
        std::filesystem::path(ReadSetting("FOLDERPATH", "CONNECT_FOLDER")) /
        selected.front().FileName;
    const std::filesystem::path output = jobs_.Dialogs.ChooseMovieFile(&c.Window, initial);
    if (output.empty()) {
        jobs_.EndWithoutWork(false);
        return;
    }
    MarkJoined(selected, 1);

    JoinRequest request;
    uint64_t total = 0;
    for (const RecordingEntry& entry : selected) {
        request.Inputs.emplace_back(entry.FullPath);
        total += entry.FileSize;
    }
    request.Output = output;
    request.Overwrite = true; // the save dialog has asked
    request.Running = &jobs_.JobRunning;
    const std::filesystem::path folder =
        output.has_parent_path() ? output.parent_path() : std::filesystem::path(".");
    if (total >= FreeSpaceAt(folder)) {
        Fail(selected);
        jobs_.RewindAfterJob = 0;
        jobs_.EndWithoutWork(false);
        return;
    }

    auto result = std::make_shared<JoinResult>();
    jobs_.RunOnJobThread(
        [this, request, result] {
            *result = JoinRecordings(
                request, [this](int64_t done, int64_t all) { jobs_.PostProgress(done, all); });
            if (result->Ok)
                jobs_.JobCompleted = 1;
            jobs_.JobRunning = 0;
            // Once the first recording was read the join counts as run, whatever came later:
            // its error message is then the only message.
            jobs_.PostDone(result->Ok || result->Started);
        },
        [this, selected, output, folder, result] {
            if (result->Ok) {
                WriteSetting("FOLDERPATH", "CONNECT_FOLDER", folder.string());
                return;
            }
            if (!result->Started)
                jobs_.RewindAfterJob = 0;
            if (result->Stopped) {
                MarkJoined(selected, 0);
                return;
            }
            Fail(selected);
        });
}

} // namespace kestrel
