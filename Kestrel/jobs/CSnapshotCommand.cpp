#include "jobs/CSnapshotCommand.h"

#include "engine/RecordingEntry.h"
#include "jobs/CJobController.h"
#include "jobs/JobHost.h"
#include "settings/SettingsStore.h"
#include "shell/UiQText.h"
#include "skin/CMsgBox.h"
#include "transport/CTransportController.h"
#include "video/CMovieStatic.h"

#include <QWidget>

#include <cstdio>
#include <system_error>

namespace kestrel {
namespace {

// The last component of `folder`; for "/" itself, nothing better than "root".
std::string LastComponent(const std::filesystem::path& folder) {
    std::filesystem::path p = folder;
    while (!p.empty() && p.filename().empty() && p.has_relative_path())
        p = p.parent_path();
    const std::string name = p.filename().string();
    return name.empty() ? std::string("root") : name;
}

} // namespace

std::filesystem::path CSnapshotCommand::FileFor(const std::filesystem::path& folder,
                                                const RecordingEntry& entry, int frame) {
    const std::string stem = entry.FileName.substr(0, entry.FileName.find('.'));
    char tail[64];
    std::snprintf(tail, sizeof tail, "-%03d_%03d_%06d.jpg", entry.EntryType, entry.Serial, frame);
    return folder / (LastComponent(folder) + "-" + stem + tail);
}

void CSnapshotCommand::Run() {
    const JobContext& c = jobs_.Context();
    CTransportController& transport = c.Transport;
    if (!transport.RecordingOpen() || transport.GuardRefuses())
        return;
    if (!c.Api.DrawOverlayText(c.Engine, ""))
        return;
    transport.PauseAndHold();
    c.Host.DisableAllControls();

    // The picture is taken at the movie's own size, away from the window's layout.
    int width = 0, height = 0;
    c.Api.GetVideoSize(c.Engine, &width, &height);
    c.Video.hide();
    if (width > 0 && height > 0)
        c.Video.setGeometry(0, 0, width, height);
    const ZoomState zoom = c.Host.CurrentZoom();
    c.Api.SetVideoRect(c.Engine, zoom.AnchorX, zoom.AnchorY, zoom.OffsetX, zoom.OffsetY, zoom.Scale,
                       0);
    c.Host.SetControlsForJob(false);
    c.Host.DecideMapOrLogo();

    const std::filesystem::path folder =
        jobs_.Dialogs.ChooseFolder(&c.Window, "FOLDERPATH", "SNAPSHOT_FOLDER",
                                   UiQText(102)); // バックアップフォルダーを選択してください。
    if (!folder.empty())
        SaveInto(folder);

    c.Host.RestoreLayout();
    c.Api.SetVideoRect(c.Engine, zoom.AnchorX, zoom.AnchorY, zoom.OffsetX, zoom.OffsetY, zoom.Scale,
                       0);
    c.Video.show();
    c.Host.SetControlsForJob(true);
    c.Host.RefreshButtons();
    c.Host.DecideMapOrLogo();
    c.Api.ClearOverlay(c.Engine);
}

void CSnapshotCommand::SaveInto(const std::filesystem::path& folder) {
    const JobContext& c = jobs_.Context();
    const RecordingEntry* entry = c.Transport.CurrentEntry();
    if (!entry)
        return;
    const std::filesystem::path file = FileFor(folder, *entry, c.Api.GetCurrentFrame(c.Engine));
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
        // 同名のファイルが存在します。続行しますか？
        if (CMsgBox(&c.Window).Show(UiQText(93), CMsgBox::QuestionCaption(), 1) != 1)
            return;
    }
    if (c.Api.SaveJpeg(c.Engine, file)) {
        WriteSetting("FOLDERPATH", "SNAPSHOT_FOLDER", folder.string());
        CMsgBox(&c.Window).Show(UiQText(48), CMsgBox::DoneCaption()); // 完了しました。
    } else {
        CMsgBox(&c.Window).Show(UiQText(100),
                                CMsgBox::ErrorCaption()); // 画像の保存に失敗しました。
    }
}

} // namespace kestrel
