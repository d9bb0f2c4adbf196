#include "transport/COpenSequence.h"

#include "engine/RecordingCatalogue.h"
#include "skin/CSkinSliderCtrl.h"
#include "sources/CFileListCtrl.h"
#include "sources/CFilerContainerDlg.h"
#include "transport/CContinuousPlayback.h"
#include "transport/CFrameFanOut.h"
#include "transport/CTransportCommands.h"
#include "transport/CTransportController.h"
#include "transport/PlaybackHost.h"
#include "views/CGSensorDlg.h"
#include "views/CInfoDlg.h"
#include "views/ShownRecording.h"

#include <QApplication>

#include <algorithm>
#include <mutex>

namespace kestrel {

using namespace transport;
using C = CTransportController;

COpenSequence::COpenSequence(TransportContext& c)
    : c_(c), loader_(c.Shown), prefetcher_(c.Shown) {}

COpenSequence::~COpenSequence() {
    prefetcher_.Join();
    loader_.Join();
}

const RecordingEntry* COpenSequence::CurrentEntry() const {
    return c_.Panel.Row(c_.State.CurrentIndex);
}

void COpenSequence::SelectRecording(int index, int openMode) {
    c_.Panel.OpenMode = openMode;
    c_.Panel.SelectRow(index);
}

void COpenSequence::OnRowSelected(int row) {
    TransportState& s = c_.State;
    std::lock_guard lock(c_.MutexCache);
    // A refilled list may hold another recording at the current row: that one is opened.
    const RecordingEntry* entry = c_.Panel.Row(row);
    const bool same = row == s.CurrentIndex && entry && entry->FullPath == currentPath_;
    if (same && !c_.Panel.ForceReopen)
        return;
    c_.Panel.ForceReopen = 0;
    s.CurrentIndex = row;
    currentPath_ = entry ? entry->FullPath : std::string();
    c_.Graph.SetDataState(false, true);
    s.MapHasData = 0;
    c_.Host.DecideMapOrLogo();
    OpenRequest(true);
    if (!s.FolderAdvance && c_.Engine.Ready && c_.Engine.SpeedCode != 1)
        c_.Api.SetSpeed(c_.Engine, 1);
}

void COpenSequence::OpenRequest(bool hold) {
    TransportState& s = c_.State;
    if (!CurrentEntry())
        return;
    if (hold) {
        c_.Timers.KillTimer(C::TimerIgnoreEnd);
        s.IgnoreNextEnd = 1;
    }
    c_.Panel.List()->CurrentRow = s.CurrentIndex;
    c_.Panel.List()->viewport()->update();
    c_.Commands->StopPlayback();
    s.RecordingOpen = 0;
    s.ResetPending = 1;
    if (hold) {
        c_.Seek.SetValue(0);
        c_.Graph.SetPlaybackPosition(0, c_.Seek.Max - c_.Seek.Min);
    }
    c_.Graph.SetDataState(false, true);
    c_.Graph.SetScaleMode(0);
    c_.Graph.update();
    c_.Info.ResetReadouts();
    c_.Info.Refresh();
    if (!s.EndHandling)
        c_.Host.RefreshButtons();
    c_.Timers.KillTimer(C::TimerOpen);
    EndWait();
    // A previous open still outstanding keeps its timers; this request rides on it.
    if (!openArmed_)
        return;
    s.WaitingForMovie = 1;
    c_.Host.SetWaitCursor(true);
    c_.Host.DisableAllControls();
    c_.Timers.StartTimer(C::TimerOpenTimeout, C::kOpenTimeoutMs);
    c_.Timers.StartTimer(C::TimerOpen, C::kOpenDelayMs);
}

void COpenSequence::EndWait() {
    c_.Timers.KillTimer(C::TimerOpenTimeout);
    c_.State.WaitingForMovie = 0;
    c_.Host.SetWaitCursor(false);
}

void COpenSequence::CloseRecording() {
    c_.Shown.Release();
    c_.Api.CloseMovie(c_.Engine);
}

void COpenSequence::OnOpenTimer() {
    TransportState& s = c_.State;
    if (!openArmed_)
        return;
    openArmed_ = false;
    s.RecordingOpen = 0;
    c_.Timers.KillTimer(C::TimerTick);
    s.PendingSeek = -1;
    c_.Seek.ReleaseDrag();
    CloseRecording();
    // Nothing of the closed recording stays on show: a recording that fails to open, or
    // whose pictures cannot be decoded, would otherwise seem to show the previous one.
    c_.Host.FillVideoBlack();
    c_.Info.ClearData();
    c_.Info.update();
    c_.Graph.update();
    c_.Host.DisableAllControls();

    const RecordingEntry* entry = CurrentEntry();
    if (entry && c_.Api.OpenMovie(c_.Engine, entry->FullPath)) {
        // A menu opened for the recording before offers what may no longer fit: it closes,
        // as Escape would close it.
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        const RecordingKind kind = ClassifyName(entry->FileName);
        c_.Graph.SetDataState(true, kind != KindContinuous && kind != KindParking &&
                                        kind != KindParkingT);
        s.WaitingForMovie = 1;
        s.LastOpenFailed = 0;
    } else {
        s.MapHasData = 0;
        c_.Host.DecideMapOrLogo();
        const int mode = c_.Panel.OpenMode;
        bool folderFollows = false;
        if (entry && (mode == C::OpenByNext || mode == C::OpenByPrevious)) {
            openArmed_ = true;
            const int failed = s.CurrentIndex;
            c_.Continuous->NextRecording();
            // The folder's last recording failed: playback goes on in the next folder, as it
            // would have after that recording's end.
            folderFollows = s.CurrentIndex == failed && s.FolderAdvance && c_.Panel.NextFolder();
        } else if (entry && s.FolderAdvance) {
            openArmed_ = true;
            c_.Continuous->NextFolder();
        } else if (entry) {
            s.LastOpenFailed = 1;
            c_.Host.ReportOpenFailure();
        }
        c_.Timers.KillTimer(C::TimerOpenTimeout);
        s.WaitingForMovie = 0;
        s.FolderAdvance =
            s.CurrentIndex >= 0 && s.CurrentIndex == c_.Panel.RowCount() - 1 ? 1 : 0;
        c_.Host.EnableBrowseOnly();
        c_.Host.EndZoomMode();
        openArmed_ = true;
        if (folderFollows) {
            s.FolderAdvance = 1;
            c_.Continuous->NextFolder();
        }
    }
    c_.Host.SetWaitCursor(s.WaitingForMovie != 0 && c_.Timers.TimerActive(C::TimerOpenTimeout));
    s.NearEndLock = 0;
}

void COpenSequence::OnOpenTimeout() {
    // The engine never reported the movie as ready: stop waiting so that the user can pick
    // another recording or source.
    c_.State.WaitingForMovie = 0;
    c_.State.FolderAdvance = 0;
    c_.Host.SetWaitCursor(false);
    c_.Host.EnableBrowseOnly();
    openArmed_ = true;
}

void COpenSequence::OnMovieReady() {
    // The player may report a movie as ready after its open has failed (and been reported);
    // with no movie open there is nothing to show.
    if (c_.Engine.PlayState == 0)
        return;
    c_.Timers.KillTimer(C::TimerOpen);
    openArmed_ = true;
    c_.State.NearEndLock = 1;
    const RecordingEntry* entry = CurrentEntry();
    if (!entry)
        return;
    c_.Commands->RefreshSpeedLabel();
    const ZoomState zoom = c_.Host.CurrentZoom();
    c_.Api.SetVideoRect(c_.Engine, zoom.AnchorX, zoom.AnchorY, zoom.OffsetX, zoom.OffsetY,
                        zoom.Scale, 1);
    const int mode = c_.Panel.TakeOpenMode();
    if (mode == C::OpenByUser) {
        std::filesystem::path path;
        {
            std::lock_guard lock(c_.MutexCache);
            path = entry->FullPath;
        }
        loader_.Start(path, C::kLoaderDelayMs, c_.Messages);
        return;
    }
    if (!LoadAndPlay())
        c_.State.PlayWhenLoaded = 1;
    StartPrefetch();
}

void COpenSequence::OnLoaderDone(intptr_t result) {
    TransportState& s = c_.State;
    if (s.RecordingOpen)
        return;
    s.RecordingOpen = 1;
    EndWait();
    c_.Host.RefreshButtons();
    const RecordingEntry* entry = CurrentEntry();
    if (!entry || !c_.Shown.Load(entry->FullPath))
        return;
    c_.Api.SetVolume(c_.Engine, c_.Host.Volume());
    c_.Api.SetSpeed(c_.Engine, c_.Engine.SpeedCode);
    if (s.PlayWhenLoaded) {
        s.PlayWhenLoaded = 0;
        c_.Commands->PlayAndResume();
    } else if (s.FolderAdvance) {
        s.FolderAdvance = 0;
        c_.Commands->PlayAndResume();
        c_.Host.SetPlayFace(true);
    } else {
        c_.Host.SetPlayFace(false);
    }
    c_.Host.RefreshButtons();
    s.ResetPending = 0;
    ApplyLoadedData();
    if (result)
        StartPrefetch();
    if (s.RestoreAfterJob) {
        s.RestoreAfterJob = 0;
        s.IgnoreNextEnd = 1;
        c_.Api.SeekToFrame(c_.Engine, s.SavedFrame);
        c_.Frames->ShowFrame(s.SavedFrame);
        if (s.SavedFrame != 0) {
            c_.Api.Pause(c_.Engine);
            c_.Host.RefreshButtons();
        }
    }
}

void COpenSequence::CloseForJob() {
    TransportState& s = c_.State;
    c_.Timers.KillTimer(CTransportController::TimerTick);
    s.RecordingOpen = 0;
    s.SavedFrame = c_.Api.GetCurrentFrame(c_.Engine);
    CloseRecording();
}

bool COpenSequence::ReopenAfterJob() {
    if (!CurrentEntry()) {
        c_.State.RestoreAfterJob = 0;
        return false;
    }
    OpenRequest(false);
    return true;
}

bool COpenSequence::LoadAndPlay() {
    TransportState& s = c_.State;
    const RecordingEntry* entry = CurrentEntry();
    if (!entry)
        return false;
    if (s.RecordingOpen)
        return c_.Commands->PlayAndResume();
    s.RecordingOpen = 1;
    if (!c_.Shown.Load(entry->FullPath)) {
        // The recording stays open without data; the wait for it is over all the same.
        EndWait();
        c_.Host.RefreshButtons();
        return false;
    }
    c_.Api.SetVolume(c_.Engine, c_.Host.Volume());
    s.ResetPending = 0;
    c_.Api.SetSpeed(c_.Engine, c_.Engine.SpeedCode);
    c_.Commands->PlayAndResume();
    ApplyLoadedData();
    EndWait();
    if (c_.Engine.PlayState == kPlayStatePlaying)
        c_.Host.SetPlayFace(true);
    c_.Host.RefreshButtons();
    return true;
}

void COpenSequence::StartPrefetch() {
    std::filesystem::path next;
    {
        std::lock_guard lock(c_.MutexCache);
        const RecordingEntry* entry = c_.Panel.Row(c_.State.CurrentIndex + 1);
        if (!entry)
            return;
        next = entry->FullPath;
    }
    prefetcher_.Start(next, 0, nullptr);
}

void COpenSequence::ApplyLoadedData() {
    TransportState& s = c_.State;
    if (s.CurrentIndex < 0 || s.CurrentIndex >= c_.Panel.RowCount())
        return;
    RecordingEntry& entry = c_.Panel.List()->Rows[static_cast<size_t>(s.CurrentIndex)];
    int width = 0;
    int height = 0;
    c_.Api.GetVideoSize(c_.Engine, &width, &height);
    entry.ResolutionClass = C::ResolutionClass(height, c_.Shown.LoadedPictureLetter());
    CInfoDlg& info = c_.Info;
    info.QualityIndex = entry.ResolutionClass;
    info.StartTime = entry.StartTime;
    info.DataValid = 1;
    const double frameMs = c_.Api.GetFrameMs(c_.Engine);
    c_.Seek.SetValue(0);
    const ShownRecording::Facts facts = c_.Shown.Adopt();
    if (facts.HasGps) {
        entry.StartTime = facts.FirstGpsTime;
        entry.FramesPerSecond = frameMs > 0.0 ? static_cast<float>(1000.0 / frameMs) : 0.0f;
        c_.Graph.SetScaleMode(C::GraphScale(facts.PeakG));
        info.StartTime = entry.StartTime;
        info.TimeLapse = facts.RecordingType == 'T' ? 1 : 0;
        info.VehicleData = facts.VehicleData;
    } else {
        s.MapHasData = 0;
        c_.Host.DecideMapOrLogo();
    }
    info.FrameMs = frameMs;
    const int64_t total = c_.Api.GetTotalFrames(c_.Engine);
    c_.Seek.Min = 0;
    c_.Seek.Max = static_cast<int>(std::clamp<int64_t>(total, 0, INT32_MAX));
    c_.Host.RebuildEventPositions();
    c_.Commands->RefreshSpeedLabel();
    c_.Host.ApplyVolume(c_.Host.Volume());
    c_.Frames->ShowFrame(0);
    c_.Host.ShowRecordingOnMap();
    s.PendingSeek = -1;
    c_.Timers.StartTimer(C::TimerTick, C::kTickMs);
    c_.Seek.Enabled = 1;
}

void COpenSequence::ResetPlaybackViews() {
    TransportState& s = c_.State;
    c_.Info.ClearData();
    c_.Seek.ReleaseDrag();
    c_.Seek.Min = 0;
    c_.Seek.Max = 0;
    c_.Seek.SetValue(0);
    c_.Graph.SetPlaybackPosition(0, c_.Seek.Max - c_.Seek.Min);
    c_.Timers.KillTimer(C::TimerTick);
    // An open still waiting for its delay would open a recording that is no longer listed.
    c_.Timers.KillTimer(C::TimerOpen);
    EndWait();
    c_.Commands->RefreshSpeedLabel();
    CloseRecording();
    prefetcher_.Join();
    loader_.Join();
    s.RecordingOpen = 0;
    s.MapHasData = 0;
    s.ResetPending = 1;
    c_.Commands->RepaintVideo();
    c_.Host.DecideMapOrLogo();
    c_.Graph.SetDataState(false, true);
    c_.Graph.SetScaleMode(0);
    c_.Graph.update();
    c_.Info.ResetReadouts();
    c_.Info.Refresh();
    c_.Shown.CancelPrefetch();
    s.CurrentIndex = -1;
    currentPath_.clear();
    c_.Panel.List()->CurrentRow = -1;
    openArmed_ = true;
    c_.Panel.PlaceControls(c_.Panel.LayoutMode());
}

} // namespace kestrel
