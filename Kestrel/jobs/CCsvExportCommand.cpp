#include "jobs/CCsvExportCommand.h"

#include "engine/ListExport.h"
#include "engine/SensorCache.h"
#include "jobs/CJobController.h"
#include "jobs/JobHost.h"
#include "settings/SettingsStore.h"
#include "shell/UiQText.h"
#include "skin/CMsgBox.h"
#include "sources/CFileListCtrl.h"
#include "sources/CFilerContainerDlg.h"
#include "transport/CTransportController.h"

#include <memory>
#include <system_error>

namespace kestrel {

void CCsvExportCommand::Run() {
    const JobContext& c = jobs_.Context();
    CTransportController& transport = c.Transport;
    if (transport.GuardRefuses())
        return;
    transport.PauseAndHold();
    transport.SetRestoreAfterJob(true);
    transport.SetSavedFrame(c.Api.GetCurrentFrame(c.Engine));
    PrefetchSensorData(c.Engine, nullptr);
    jobs_.BeginJob();

    const std::filesystem::path folder =
        jobs_.Dialogs.ChooseFolder(&c.Window, "FOLDERPATH", "CSV_FOLDER",
                                   UiQText(103)); // 出力先フォルダーを選択してください。
    if (folder.empty()) {
        transport.SetRestoreAfterJob(false);
        jobs_.EndWithoutWork(false);
        return;
    }
    const Catalogue entries = c.Panel.List()->Rows;
    if (entries.empty()) {
        c.Host.SetCsvBlocked(1);
        CMsgBox(&c.Window).Show(UiQText(101),
                                CMsgBox::ErrorCaption()); // 動画ファイルがありません。
        jobs_.EndWithoutWork(false);
        return;
    }
    // The name the export will give the file (after the first recording with recorder data);
    // without one (an unreadable first recording) the question is asked all the same, and
    // the file then cannot be made.
    const std::optional<std::string> name = CsvFileNameOfList(entries);
    std::error_code ec;
    if (!name || std::filesystem::exists(folder / *name, ec)) {
        // 同名のファイルが存在します。続行しますか？
        if (CMsgBox(&c.Window).Show(UiQText(93), CMsgBox::QuestionCaption(), 1) != 1) {
            jobs_.EndWithoutWork(false);
            return;
        }
    }
    // Every file must be free to read: the shown recording is closed until the job ends.
    transport.CloseForJob();

    auto result = std::make_shared<CsvExportResult>();
    jobs_.RunOnJobThread(
        [this, &c, entries, folder, result] {
            *result = ExportCsv(
                c.Engine, entries, folder, true,
                [this](int64_t done, int64_t total) { jobs_.PostProgress(done, total); },
                &jobs_.JobRunning);
            if (result->Ok())
                jobs_.JobCompleted = 1;
            jobs_.JobRunning = 0;
            jobs_.PostDone(result->Ok());
        },
        [&c, folder, result] {
            if (result->Ok()) {
                WriteSetting("FOLDERPATH", "CSV_FOLDER", folder.string());
            } else if (result->Failure == CsvFailure::CannotCreate) {
                // CSVファイルが作成できません。
                CMsgBox(&c.Window).Show(UiQText(96), CMsgBox::ErrorCaption());
            }
        });
}

} // namespace kestrel
