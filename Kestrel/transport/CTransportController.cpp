#include "transport/CTransportController.h"

#include "shell/AppEvent.h"
#include "transport/PlaybackHost.h"
#include "shell/UiQText.h"
#include "engine/PlaybackPipeline.h"
#include "engine/SensorCache.h"
#include "skin/CSkinSliderCtrl.h"
#include "sources/CFileListCtrl.h"
#include "sources/CFilerContainerDlg.h"
#include "sources/CFolderTreeCtrl.h"
#include "views/CGSensorDlg.h"
#include "views/CInfoDlg.h"

#include <QTimerEvent>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>

namespace kestrel {

namespace {
constexpr int kGraphLeftMargin = 50;
constexpr int kPlaying = 2;
constexpr int kStopped = 1;
constexpr int kPaused = 3;
} // namespace

CTransportController::CTransportController(const EngineApi& api, EngineContext& engine,
                                           PlaybackHost& host, CFilerContainerDlg& panel,
                                           CSkinSliderCtrl& seek, CInfoDlg& info,
                                           CGSensorDlg& graph,
                                           platform::RecursiveNamedMutex& mutexCache,
                                           QObject* messages)
    : api_(api), engine_(engine), host_(host), panel_(panel), seek_(seek), info_(info),
      graph_(graph), mutexCache_(mutexCache), messages_(messages), loader_(engine),
      prefetcher_(engine) {}

CTransportController::~CTransportController() {
    prefetcher_.Join();
    loader_.Join();
}

// ---- Rules ----

int CTransportController::EndMargin(int speedCode) {
    if (speedCode == 4)
        return 80;
    if (speedCode == 2)
        return 40;
    return 20;
}

int CTransportController::SpeedLabelSlot(int speedCode, bool engineReady) {
    if (!engineReady)
        return 0;
    switch (speedCode) {
    case 2:
        return 61; // 再生速度x2.0
    case 4:
        return 62; // 再生速度x4.0
    case -2:
        return 63; // 再生速度x0.5
    case -4:
        return 64; // 再生速度x0.25
    default:
        return 0;
    }
}

int CTransportController::ResolutionClass(int height, char pictureLetter) {
    const int high = pictureLetter == 'H' ? 0 : 1;
    switch (height) {
    case 360:
        return 1 + high;
    case 720:
        return 3 + high;
    case 1080:
        return 5 + high;
    default:
        return 0;
    }
}

int CTransportController::GraphScale(double peakG) {
    if (peakG >= 1.5)
        return 3;
    if (peakG >= 1.0)
        return 2;
    if (peakG >= 0.5)
        return 1;
    return 0;
}

const RecordingEntry* CTransportController::CurrentEntry() const {
    return panel_.Row(CurrentIndex);
}

bool CTransportController::GuardRefuses() {
    if (!RecordingOpen)
        return true;
    if (engine_.PlayState != kPlaying)
        return false;
    const int64_t total = api_.GetTotalFrames(engine_);
    return total != 0 && api_.GetCurrentFrame(engine_) + EndMargin(engine_.SpeedCode) >= total;
}

// ---- Timers ----

void CTransportController::StartTimer(int id, int periodMs) {
    timers_[id].start(periodMs, this);
}

void CTransportController::KillTimer(int id) {
    const auto it = timers_.find(id);
    if (it != timers_.end())
        it->second.stop();
}

bool CTransportController::TimerActive(int id) const {
    const auto it = timers_.find(id);
    return it != timers_.end() && it->second.isActive();
}

void CTransportController::timerEvent(QTimerEvent* event) {
    for (auto& [id, timer] : timers_) {
        if (timer.timerId() != event->timerId())
            continue;
        switch (id) {
        case TimerTick:
            Tick();
            break;
        case TimerOpen:
            KillTimer(TimerOpen);
            OnOpenTimer();
            break;
        case TimerOpenTimeout:
            KillTimer(TimerOpenTimeout);
            OnOpenTimeout();
            break;
        case TimerIgnoreEnd:
            KillTimer(TimerIgnoreEnd);
            IgnoreNextEnd = 0;
            host_.RefreshButtons();
            break;
        default:
            break;
        }
        return;
    }
    QObject::timerEvent(event);
}

// ---- Opening a recording ----

void CTransportController::SelectRecording(int index, int openMode) {
    panel_.OpenMode = openMode;
    panel_.SelectRow(index);
}

void CTransportController::OnRowSelected(int row) {
    std::lock_guard lock(mutexCache_);
    // A refilled list may hold another recording at the current row: that one is opened.
    const RecordingEntry* entry = panel_.Row(row);
    const bool same = row == CurrentIndex && entry && entry->FullPath == currentPath_;
    if (same && !panel_.ForceReopen)
        return;
    panel_.ForceReopen = 0;
    CurrentIndex = row;
    currentPath_ = entry ? entry->FullPath : std::string();
    graph_.HasData = 0;
    MapHasData = 0;
    host_.DecideMapOrLogo();
    OpenRequest(true);
    if (!FolderAdvance && engine_.Ready && engine_.SpeedCode != 1)
        api_.SetSpeed(engine_, 1);
}

void CTransportController::OpenRequest(bool hold) {
    if (!CurrentEntry())
        return;
    if (hold) {
        KillTimer(TimerIgnoreEnd);
        IgnoreNextEnd = 1;
    }
    panel_.List()->CurrentRow = CurrentIndex;
    panel_.List()->viewport()->update();
    StopPlayback();
    RecordingOpen = 0;
    ResetPending = 1;
    if (hold) {
        seek_.SetValue(0);
        graph_.SetPosition(0, kGraphLeftMargin);
    }
    graph_.ClearData();
    graph_.update();
    info_.ResetReadouts();
    info_.update();
    if (!EndHandling)
        host_.RefreshButtons();
    KillTimer(TimerOpen);
    EndWait();
    // A previous open still outstanding keeps its timers; this request rides on it.
    if (!openArmed_)
        return;
    WaitingForMovie = 1;
    host_.SetWaitCursor(true);
    host_.DisableAllControls();
    StartTimer(TimerOpenTimeout, kOpenTimeoutMs);
    StartTimer(TimerOpen, kOpenDelayMs);
}

void CTransportController::EndWait() {
    KillTimer(TimerOpenTimeout);
    WaitingForMovie = 0;
    host_.SetWaitCursor(false);
}

void CTransportController::CloseRecording() {
    api_.ReleaseScan(engine_);
    engine_.SensorDataLoaded = 0;
    api_.CloseMovie(engine_);
}

void CTransportController::OnOpenTimer() {
    if (!openArmed_)
        return;
    openArmed_ = false;
    RecordingOpen = 0;
    KillTimer(TimerTick);
    PendingSeek = -1;
    seek_.ReleaseDrag();
    CloseRecording();
    graph_.update();
    host_.DisableAllControls();

    const RecordingEntry* entry = CurrentEntry();
    if (entry && api_.OpenMovie(engine_, entry->FullPath)) {
        const RecordingKind kind = ClassifyName(entry->FileName);
        graph_.HasData = 1;
        graph_.ExtendedKinds =
            kind != KindContinuous && kind != KindParking && kind != KindParkingT;
        WaitingForMovie = 1;
        LastOpenFailed = 0;
    } else {
        MapHasData = 0;
        host_.DecideMapOrLogo();
        const int mode = panel_.OpenMode;
        bool folderFollows = false;
        if (entry && (mode == OpenByNext || mode == OpenByPrevious)) {
            openArmed_ = true;
            const int failed = CurrentIndex;
            NextRecording();
            // The folder's last recording failed: playback goes on in the next folder, as it
            // would have after that recording's end.
            folderFollows = CurrentIndex == failed && FolderAdvance && panel_.NextFolder();
        } else if (entry && FolderAdvance) {
            openArmed_ = true;
            NextFolder();
        } else if (entry) {
            LastOpenFailed = 1;
            host_.ReportOpenFailure();
        }
        KillTimer(TimerOpenTimeout);
        WaitingForMovie = 0;
        FolderAdvance = CurrentIndex >= 0 && CurrentIndex == panel_.RowCount() - 1 ? 1 : 0;
        host_.EnableBrowseOnly();
        openArmed_ = true;
        if (folderFollows) {
            FolderAdvance = 1;
            NextFolder();
        }
    }
    host_.SetWaitCursor(WaitingForMovie != 0 && TimerActive(TimerOpenTimeout));
    NearEndLock = 0;
}

void CTransportController::OnOpenTimeout() {
    // The engine never reported the movie as ready: stop waiting so that the user can pick
    // another recording or source.
    WaitingForMovie = 0;
    FolderAdvance = 0;
    host_.SetWaitCursor(false);
    host_.EnableBrowseOnly();
    openArmed_ = true;
}

void CTransportController::OnMovieReady() {
    KillTimer(TimerOpen);
    openArmed_ = true;
    NearEndLock = 1;
    const RecordingEntry* entry = CurrentEntry();
    if (!entry)
        return;
    RefreshSpeedLabel();
    const ZoomState zoom = host_.CurrentZoom();
    api_.SetVideoRect(engine_, zoom.AnchorX, zoom.AnchorY, zoom.OffsetX, zoom.OffsetY, zoom.Scale,
                      1);
    const int mode = panel_.TakeOpenMode();
    if (mode == OpenByUser) {
        std::filesystem::path path;
        {
            std::lock_guard lock(mutexCache_);
            path = entry->FullPath;
        }
        loader_.Start(path, kLoaderDelayMs, messages_);
        return;
    }
    if (!LoadAndPlay())
        PlayWhenLoaded = 1;
    StartPrefetch();
}

void CTransportController::OnLoaderDone(intptr_t result) {
    if (RecordingOpen)
        return;
    RecordingOpen = 1;
    EndWait();
    host_.RefreshButtons();
    const RecordingEntry* entry = CurrentEntry();
    if (!entry || !api_.LoadSensorData(engine_, entry->FullPath))
        return;
    engine_.SensorDataLoaded = 1;
    api_.SetVolume(engine_, host_.Volume());
    api_.SetSpeed(engine_, engine_.SpeedCode);
    if (PlayWhenLoaded) {
        PlayWhenLoaded = 0;
        PlayAndResume();
    } else if (FolderAdvance) {
        FolderAdvance = 0;
        PlayAndResume();
        host_.SetPlayFace(true);
    } else {
        host_.SetPlayFace(false);
    }
    host_.RefreshButtons();
    ResetPending = 0;
    ApplyLoadedData();
    if (result)
        StartPrefetch();
}

bool CTransportController::LoadAndPlay() {
    const RecordingEntry* entry = CurrentEntry();
    if (!entry)
        return false;
    if (RecordingOpen)
        return PlayAndResume();
    RecordingOpen = 1;
    if (!api_.LoadSensorData(engine_, entry->FullPath)) {
        // The recording stays open without data; the wait for it is over all the same.
        EndWait();
        host_.RefreshButtons();
        return false;
    }
    engine_.SensorDataLoaded = 1;
    api_.SetVolume(engine_, host_.Volume());
    ResetPending = 0;
    api_.SetSpeed(engine_, engine_.SpeedCode);
    PlayAndResume();
    ApplyLoadedData();
    EndWait();
    if (engine_.PlayState == kPlaying)
        host_.SetPlayFace(true);
    host_.RefreshButtons();
    return true;
}

void CTransportController::StartPrefetch() {
    std::filesystem::path next;
    {
        std::lock_guard lock(mutexCache_);
        const RecordingEntry* entry = panel_.Row(CurrentIndex + 1);
        if (!entry)
            return;
        next = entry->FullPath;
    }
    prefetcher_.Start(next, 0, nullptr);
}

void CTransportController::ApplyLoadedData() {
    if (CurrentIndex < 0 || CurrentIndex >= panel_.RowCount())
        return;
    RecordingEntry& entry = panel_.List()->Rows[static_cast<size_t>(CurrentIndex)];
    int width = 0;
    int height = 0;
    api_.GetVideoSize(engine_, &width, &height);
    entry.ResolutionClass = ResolutionClass(height, engine_.Loaded.Scanner.Header.PictureLetter);
    info_.QualityIndex = entry.ResolutionClass;
    info_.StartTime = entry.StartTime;
    info_.DataValid = 1;
    const double frameMs = api_.GetFrameMs(engine_);
    {
        std::lock_guard data(*engine_.FileMutex);
        seek_.SetValue(0);
        const bool hasGps =
            BoxScanner::MoveResults(engine_.Loaded.Scanner, engine_.Displayed.Scanner);
        const BoxScanner& shown = engine_.Displayed.Scanner;
        if (hasGps) {
            entry.StartTime = shown.GpsSamples->front().LocalTime;
            entry.FramesPerSecond = frameMs > 0.0 ? static_cast<float>(1000.0 / frameMs) : 0.0f;
            graph_.Scale = GraphScale(shown.PeakG);
            info_.StartTime = entry.StartTime;
            info_.TimeLapse = shown.Header.RecordingType == 'T' ? 1 : 0;
            info_.VehicleData = shown.Header.VehicleData;
        } else {
            MapHasData = 0;
            host_.DecideMapOrLogo();
        }
    }
    info_.FrameMs = frameMs;
    const int64_t total = api_.GetTotalFrames(engine_);
    seek_.Min = 0;
    seek_.Max = static_cast<int>(std::clamp<int64_t>(total, 0, INT32_MAX));
    graph_.FrameCount = seek_.Max;
    RefreshSpeedLabel();
    host_.ApplyVolume(host_.Volume());
    ShowFrame(0);
    PendingSeek = -1;
    StartTimer(TimerTick, kTickMs);
    seek_.Enabled = 1;
}

// ---- Playing, pausing, stopping ----

bool CTransportController::PlayAndResume() {
    if (!engine_.Ready || (engine_.PlayState != kStopped && engine_.PlayState != kPaused)) {
        return false;
    }
    IgnoreNextEnd = 0;
    return api_.Run(engine_) != 0;
}

bool CTransportController::PauseAndHold() {
    if (engine_.PlayState != kPlaying)
        return false;
    seek_.Enabled = 1;
    const bool paused = api_.Pause(engine_) != 0;
    if (paused)
        host_.SetPlayFace(false);
    return paused;
}

void CTransportController::StopPlayback() {
    if (engine_.PlayState != kPlaying && engine_.PlayState != kPaused)
        return;
    std::lock_guard lock(mutexCache_);
    seek_.Enabled = 1;
    api_.Stop(engine_);
    if (!EndHandling)
        host_.SetPlayFace(false);
}

void CTransportController::ResetPlaybackViews() {
    info_.ClearData();
    seek_.ReleaseDrag();
    seek_.Min = 0;
    seek_.Max = 0;
    seek_.SetValue(0);
    graph_.SetPosition(0, kGraphLeftMargin);
    KillTimer(TimerTick);
    // An open still waiting for its delay would open a recording that is no longer listed.
    KillTimer(TimerOpen);
    EndWait();
    RefreshSpeedLabel();
    CloseRecording();
    prefetcher_.Join();
    loader_.Join();
    RecordingOpen = 0;
    MapHasData = 0;
    ResetPending = 1;
    RepaintVideo();
    host_.DecideMapOrLogo();
    graph_.ClearData();
    graph_.update();
    info_.ResetReadouts();
    info_.update();
    PrefetchSensorData(engine_, nullptr);
    CurrentIndex = -1;
    currentPath_.clear();
    panel_.List()->CurrentRow = -1;
    openArmed_ = true;
    panel_.PlaceControls(panel_.LayoutMode());
}

void CTransportController::RepaintVideo() {
    if (!engine_.Ready || engine_.PlayState == 0) {
        host_.FillVideoBlack();
        return;
    }
    // The surface keeps the last picture it was given; the presenter repaints its newest
    // picture on request, so a stopped or paused movie needs no run and stop to show again.
    if (engine_.PlayState == kPlaying && (engine_.SpeedCode == -2 || engine_.SpeedCode == -4)) {
        api_.Pause(engine_);
        api_.Refresh(engine_);
        api_.Run(engine_);
        return;
    }
    if (engine_.PlayState == kPaused || engine_.PlayState == kStopped)
        api_.Refresh(engine_);
}

void CTransportController::RefreshSpeedLabel() {
    const int slot = SpeedLabelSlot(engine_.SpeedCode, engine_.Ready != 0);
    info_.SpeedLabel = slot ? UiQText(slot) : QString();
    info_.update();
}

// ---- Transport commands ----

bool CTransportController::OnCommand(int id) {
    if (id < IdStart || id > IdNext)
        return false;
    if (GuardRefuses())
        return true;
    switch (id) {
    case IdStart:
        ToStart();
        break;
    case IdPrevious:
        Previous();
        break;
    case IdPlayPause:
        PlayPause();
        break;
    case IdSlower:
        ChangeSpeed(false);
        break;
    case IdFaster:
        ChangeSpeed(true);
        break;
    case IdNext:
        api_.Pause(engine_);
        StopPlayback();
        NextRecording();
        break;
    default:
        break;
    }
    return true;
}

void CTransportController::ToStart() {
    api_.SetSpeed(engine_, 1);
    api_.SetVolume(engine_, host_.Volume());
    RefreshSpeedLabel();
    api_.JumpToFrame(engine_, 0);
    ShowFrame(0);
    StopPlayback();
    host_.RefreshButtons();
}

void CTransportController::PlayPause() {
    if (engine_.PlayState != kPlaying) {
        api_.SetVolume(engine_, host_.Volume());
        const bool started = PlayAndResume() && engine_.PlayState == kPlaying;
        if (!started)
            PlayWhenLoaded = 1;
        RefreshSpeedLabel();
        host_.SetPlayFace(started);
        host_.RefreshButtons();
        return;
    }
    if (engine_.SpeedCode != 1) {
        api_.SetSpeed(engine_, 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const bool paused = PauseAndHold();
    RefreshSpeedLabel();
    if (!host_.FullScreen())
        info_.update();
    if (paused)
        host_.SetPlayFace(false);
    IgnoreNextEnd = 1;
    // The paused picture is exactly the frame the clock stands at.
    api_.SeekToFrame(engine_, api_.GetCurrentFrame(engine_));
    host_.RefreshButtons();
}

void CTransportController::ChangeSpeed(bool faster) {
    const int next = NextSpeedCode(engine_, faster ? 1 : 0);
    if (next == engine_.SpeedCode)
        return;
    api_.SetSpeed(engine_, next);
    host_.RefreshButtons();
    RefreshSpeedLabel();
}

void CTransportController::StepTo(int index, int openMode) {
    seek_.ReleaseDrag();
    graph_.HasData = 0;
    seek_.SetValue(0);
    graph_.SetPosition(0, kGraphLeftMargin);
    SelectRecording(index, openMode);
}

void CTransportController::Previous() {
    api_.Pause(engine_);
    StopPlayback();
    std::lock_guard lock(mutexCache_);
    if (CurrentIndex > 0) {
        StepTo(CurrentIndex - 1, OpenByPrevious);
        return;
    }
    api_.SetSpeed(engine_, 1);
    StopPlayback();
    api_.JumpToFrame(engine_, 0);
    RepaintVideo();
    ShowFrame(0);
    host_.RefreshButtons();
}

void CTransportController::NextRecording() {
    std::lock_guard lock(mutexCache_);
    if (CurrentIndex + 1 < panel_.RowCount()) {
        StepTo(CurrentIndex + 1, OpenByNext);
        return;
    }
    if (panel_.NextFolder()) {
        api_.Pause(engine_);
        RefreshSpeedLabel();
        if (!EndHandling)
            StopPlayback();
    } else {
        if (engine_.SpeedCode != 1)
            api_.SetSpeed(engine_, 1);
        api_.Pause(engine_);
        RefreshSpeedLabel();
        api_.JumpToFrame(engine_, 0);
        ShowFrame(0);
        EndHandling = 0;
        StopPlayback();
    }
    FolderAdvance = 1;
}

void CTransportController::NextFolder() {
    if (!FolderAdvance)
        return;
    if (QTreeWidgetItem* next = panel_.NextFolder()) {
        panel_.Tree()->setCurrentItem(next);
        return;
    }
    FolderAdvance = 0;
    host_.EndFolderAdvance();
    host_.RefreshButtons();
}

void CTransportController::OnFolderSelected(QTreeWidgetItem*, QTreeWidgetItem* current) {
    if (panel_.SuppressTreeEvents || !current)
        return;
    std::lock_guard lock(mutexCache_);
    if (engine_.PlayState != 0 && !EndHandling) {
        if (engine_.PlayState != kPaused)
            api_.Pause(engine_);
        StopPlayback();
    }
    if (!FolderAdvance)
        api_.SetSpeed(engine_, 1);
    ResetPlaybackViews();
    if (LoadFolderOrFollowing(current))
        return;
    // No folder from here on holds a recording: playback cannot continue.
    FolderAdvance = 0;
    host_.EndFolderAdvance();
    host_.RefreshButtons();
}

bool CTransportController::LoadFolderOrFollowing(QTreeWidgetItem* item) {
    for (QTreeWidgetItem* at = item; at; at = panel_.Tree()->NextFolderAfter(at)) {
        if (panel_.LoadFolder(at, false) > 0)
            ResetPending = 0;
        if (!EndHandling) {
            host_.SetPlayFace(false);
            host_.RefreshButtons();
        }
        if (panel_.RowCount() == 0)
            continue;
        if (at != item) {
            panel_.SuppressTreeEvents = 1;
            panel_.Tree()->setCurrentItem(at);
            panel_.SuppressTreeEvents = 0;
        }
        RebuildAllFilesTrack();
        panel_.SelectFirstRow();
        return true;
    }
    return false;
}

void CTransportController::RebuildAllFilesTrack() {
    // The route of the listed recordings of the same type as the first.
    const std::vector<RecordingEntry>& rows = panel_.List()->Rows;
    std::vector<RecordingEntry> same;
    for (const RecordingEntry& row : rows) {
        if (row.EntryType == rows.front().EntryType)
            same.push_back(row);
    }
    if (engine_.Ready)
        BuildAllFilesTrack(engine_, same);
}

// ---- Seeking and showing ----

void CTransportController::SeekTo(int target) {
    const int max = seek_.Max;
    const int min = seek_.Min;
    const int margin = EndMargin(engine_.SpeedCode);
    const bool clamped = target > max - margin;
    const int seekFrame = clamped ? max - margin : target;
    const int shown = std::max(min, std::min(target, max - 1));
    if (engine_.PlayState == kPlaying) {
        api_.Pause(engine_);
        api_.SeekToFrame(engine_, std::max(seekFrame, 0));
        ShowFrame(shown);
        api_.Run(engine_);
        return;
    }
    if (clamped && max < margin)
        IgnoreNextEnd = 1;
    api_.JumpToFrame(engine_, std::max(seekFrame, 0));
    ShowFrame(shown);
    host_.RefreshButtons();
}

void CTransportController::ShowFrame(int frame) {
    std::unique_lock<platform::RecursiveNamedMutex> data;
    if (engine_.FileMutex)
        data = std::unique_lock(*engine_.FileMutex);
    const int f = std::max(seek_.Min, std::min(frame, seek_.Max - 1));
    PendingSeek = f;
    const FrameIndexList* index = engine_.Displayed.Scanner.FrameIndex.get();
    const GSensorSample* g =
        engine_.Ready && index && f >= 0 && static_cast<size_t>(f) < index->size()
            ? (*index)[static_cast<size_t>(f)]
            : nullptr;
    if (g) {
        info_.SetAccel(g->X, g->Y, g->Z);
        info_.AudioState = static_cast<char>(g->CameraByte);
        const GpsSample* gps = g->LinkedGps;
        if (gps && gps->Valid) {
            if (!ResetPending && !MapHasData) {
                MapHasData = 1;
                host_.DecideMapOrLogo();
            }
            info_.SpeedKmh = gps->SpeedKmh;
        } else {
            info_.SpeedKmh = -1.0;
        }
        info_.GpsValid = gps ? gps->Valid : 0;
        const bool located = gps && gps->Valid;
        host_.ShowMapPosition(f, located, located ? gps->Latitude : 0.0,
                              located ? gps->Longitude : 0.0);
        host_.ShowVehicleValues(g->LinkedObd, engine_.Displayed.Scanner.Header.VehicleData,
                                info_.GpsValid);
    } else {
        info_.SetAccel(-5.0, -5.0, -5.0);
        info_.GpsValid = 0;
        host_.ShowMapPosition(f, false, 0.0, 0.0);
        host_.ShowVehicleValues(nullptr, 0, 0);
    }
    info_.Slot = f;
    if (!host_.FullScreen())
        info_.update();
    seek_.SetValue(f);
    graph_.SetPosition(f, kGraphLeftMargin);
    graph_.update();
}

void CTransportController::Tick() {
    if (!engine_.Ready)
        return;
    const int state = engine_.PlayState;
    if (state != kPlaying)
        return;
    const int frame = api_.GetCurrentFrame(engine_);
    const int64_t total = api_.GetTotalFrames(engine_);
    const bool nearEnd = total != 0 && frame + EndMargin(engine_.SpeedCode) >= total;
    if (nearEnd && !NearEndLock) {
        host_.DisableAllControls();
        NearEndLock = 1;
    } else if (!nearEnd && NearEndLock) {
        host_.RefreshButtons();
        NearEndLock = 0;
    }
    if (frame <= 0)
        return;
    const int64_t near = total / 1000 + 30;
    if (PendingSeek == -1 || (PendingSeek - near < frame && frame < PendingSeek + near)) {
        ShowFrame(frame);
        PendingSeek = -1;
    }
}

// ---- The end of a recording ----

bool CTransportController::EndOfRecording() {
    if (IgnoreNextEnd) {
        StartTimer(TimerIgnoreEnd, 1000);
        ShowFrame(0);
        StopPlayback();
        api_.SetVolume(engine_, host_.Volume());
        return false;
    }
    NextRecording();
    return true;
}

void CTransportController::OnEndOfMedia() {
    if (!IgnoreNextEnd)
        ShowFrame(static_cast<int>(api_.GetTotalFrames(engine_) - 1));
    EndHandling = 1;
    const bool advanced = EndOfRecording();
    EndHandling = 0;
    if (advanced)
        NextFolder();
}

// ---- Messages ----

void CTransportController::OnSlider(int message, int position) {
    if (WaitingForMovie)
        return;
    switch (message) {
    case WM_APP_SLIDER_PRESS:
        if (!RecordingOpen)
            return;
        sliderPlayState_ = engine_.PlayState;
        if (engine_.PlayState != kPaused)
            api_.Pause(engine_);
        if (seek_.JumpClick()) {
            SeekTo(position);
            if (sliderPlayState_ == kPlaying)
                PlayAndResume();
        }
        break;
    case WM_APP_SLIDER_DRAG:
        // The readouts follow the thumb; the picture moves when it is let go.
        if (RecordingOpen && !seek_.JumpClick())
            ShowFrame(position);
        break;
    case WM_APP_SLIDER_RELEASE:
        if (RecordingOpen && !seek_.JumpClick()) {
            SeekTo(position);
            if (sliderPlayState_ == kPlaying)
                PlayAndResume();
        }
        break;
    default:
        break;
    }
}

bool CTransportController::OnMessage(int message, intptr_t wParam, intptr_t lParam) {
    switch (message) {
    case WM_APP_MEDIA_READY:
        OnMovieReady();
        return true;
    case WM_APP_MEDIA_ENDED:
        OnEndOfMedia();
        return true;
    case WM_APP_LOADER_DONE:
        OnLoaderDone(lParam);
        return true;
    case WM_APP_STEP_FRAME:
        IgnoreNextEnd = 1;
        api_.SeekToFrame(engine_, lParam);
        return true;
    case WM_APP_STEP_END:
        EndOfRecording();
        return true;
    case WM_APP_SLIDER_PRESS:
    case WM_APP_SLIDER_DRAG:
    case WM_APP_SLIDER_RELEASE:
        // The seek slider's; the window handles the volume slider itself.
        if (wParam != 38100)
            return false;
        OnSlider(message, static_cast<int>(lParam));
        return true;
    default:
        return false;
    }
}

} // namespace kestrel
