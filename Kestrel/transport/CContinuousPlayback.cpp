#include "transport/CContinuousPlayback.h"

#include "sources/CFileListCtrl.h"
#include "sources/CFilerContainerDlg.h"
#include "sources/CFolderTreeCtrl.h"
#include "transport/CFrameFanOut.h"
#include "transport/COpenSequence.h"
#include "transport/CTransportCommands.h"
#include "transport/CTransportController.h"
#include "transport/PlaybackHost.h"
#include "views/ShownRecording.h"

#include <mutex>

namespace kestrel {

using namespace transport;
using C = CTransportController;

bool CContinuousPlayback::EndOfRecording() {
    if (c_.State.IgnoreNextEnd) {
        c_.Timers.StartTimer(C::TimerIgnoreEnd, 1000);
        c_.Frames->ShowFrame(0);
        c_.Commands->StopPlayback();
        c_.Api.SetVolume(c_.Engine, c_.Host.Volume());
        return false;
    }
    NextRecording();
    return true;
}

void CContinuousPlayback::OnEndOfMedia() {
    if (!c_.State.IgnoreNextEnd)
        c_.Frames->ShowFrame(static_cast<int>(c_.Api.GetTotalFrames(c_.Engine) - 1));
    c_.State.EndHandling = 1;
    const bool advanced = EndOfRecording();
    c_.State.EndHandling = 0;
    if (advanced)
        NextFolder();
}

void CContinuousPlayback::NextRecording() {
    TransportState& s = c_.State;
    std::lock_guard lock(c_.MutexCache);
    if (s.CurrentIndex + 1 < c_.Panel.RowCount()) {
        c_.Commands->StepTo(s.CurrentIndex + 1, C::OpenByNext);
        return;
    }
    if (c_.Panel.NextFolder()) {
        c_.Api.Pause(c_.Engine);
        c_.Commands->RefreshSpeedLabel();
        if (!s.EndHandling)
            c_.Commands->StopPlayback();
    } else {
        if (c_.Engine.SpeedCode != 1)
            c_.Api.SetSpeed(c_.Engine, 1);
        c_.Api.Pause(c_.Engine);
        c_.Commands->RefreshSpeedLabel();
        c_.Api.JumpToFrame(c_.Engine, 0);
        c_.Frames->ShowFrame(0);
        s.EndHandling = 0;
        c_.Commands->StopPlayback();
    }
    s.FolderAdvance = 1;
}

void CContinuousPlayback::NextFolder() {
    if (!c_.State.FolderAdvance)
        return;
    if (QTreeWidgetItem* next = c_.Panel.NextFolder()) {
        c_.Panel.Tree()->setCurrentItem(next);
        return;
    }
    c_.State.FolderAdvance = 0;
    c_.Host.EndFolderAdvance();
    c_.Host.RefreshButtons();
}

void CContinuousPlayback::OnFolderSelected(QTreeWidgetItem* current) {
    TransportState& s = c_.State;
    if (c_.Panel.SuppressTreeEvents || !current)
        return;
    std::lock_guard lock(c_.MutexCache);
    if (c_.Engine.PlayState != 0 && !s.EndHandling) {
        if (c_.Engine.PlayState != kPlayStatePaused)
            c_.Api.Pause(c_.Engine);
        c_.Commands->StopPlayback();
    }
    if (!s.FolderAdvance)
        c_.Api.SetSpeed(c_.Engine, 1);
    c_.Open->ResetPlaybackViews();
    if (LoadFolderOrFollowing(current))
        return;
    // No folder from here on holds a recording: playback cannot continue.
    s.FolderAdvance = 0;
    c_.Host.EndFolderAdvance();
    c_.Host.RefreshButtons();
}

bool CContinuousPlayback::LoadFolderOrFollowing(QTreeWidgetItem* item) {
    for (QTreeWidgetItem* at = item; at; at = c_.Panel.Tree()->NextFolderAfter(at)) {
        if (c_.Panel.LoadFolder(at, false) > 0)
            c_.State.ResetPending = 0;
        if (!c_.State.EndHandling) {
            c_.Host.SetPlayFace(false);
            c_.Host.RefreshButtons();
        }
        if (c_.Panel.RowCount() == 0)
            continue;
        if (at != item) {
            c_.Panel.SuppressTreeEvents = 1;
            c_.Panel.Tree()->setCurrentItem(at);
            c_.Panel.SuppressTreeEvents = 0;
        }
        RebuildAllFilesTrack();
        c_.Panel.SelectFirstRow();
        return true;
    }
    return false;
}

void CContinuousPlayback::RebuildAllFilesTrack() {
    // The route of the listed recordings of the same type as the first.
    const std::vector<RecordingEntry>& rows = c_.Panel.List()->Rows;
    std::vector<RecordingEntry> same;
    for (const RecordingEntry& row : rows) {
        if (row.EntryType == rows.front().EntryType)
            same.push_back(row);
    }
    c_.Shown.RebuildAllFilesTrack(same);
}

} // namespace kestrel
