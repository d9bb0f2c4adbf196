#include "transport/CTransportController.h"

#include "shell/AppEvent.h"
#include "sources/CFilerContainerDlg.h"
#include "transport/CContinuousPlayback.h"
#include "transport/CFrameFanOut.h"
#include "transport/COpenSequence.h"
#include "transport/CStepCommands.h"
#include "transport/CTransportCommands.h"
#include "transport/PlaybackHost.h"
#include "views/ShownRecording.h"

#include <QTimerEvent>

namespace kestrel {

CTransportController::CTransportController(const EngineApi& api, EngineContext& engine,
                                           PlaybackHost& host, CFilerContainerDlg& panel,
                                           CSkinSliderCtrl& seek, CInfoDlg& info,
                                           CGSensorDlg& graph,
                                           platform::RecursiveNamedMutex& mutexCache,
                                           QObject* messages)
    : shown_(std::make_unique<ShownRecording>(api, engine)) {
    c_.reset(new TransportContext{api, engine, host, panel, seek, info, graph, mutexCache,
                                  messages, *shown_, *this, {}});
    frames_ = std::make_unique<CFrameFanOut>(*c_);
    commands_ = std::make_unique<CTransportCommands>(*c_);
    steps_ = std::make_unique<CStepCommands>(*c_);
    continuous_ = std::make_unique<CContinuousPlayback>(*c_);
    open_ = std::make_unique<COpenSequence>(*c_);
    c_->Frames = frames_.get();
    c_->Commands = commands_.get();
    c_->Continuous = continuous_.get();
    c_->Open = open_.get();
}

CTransportController::~CTransportController() = default;

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

// ---- Routing ----

const RecordingEntry* CTransportController::CurrentEntry() const {
    return open_->CurrentEntry();
}

bool CTransportController::OnCommand(int id) {
    return commands_->OnCommand(id) || steps_->OnCommand(id);
}
void CTransportController::OnRowSelected(int row) { open_->OnRowSelected(row); }
void CTransportController::OnFolderSelected(QTreeWidgetItem*, QTreeWidgetItem* current) {
    continuous_->OnFolderSelected(current);
}
void CTransportController::SelectRecording(int index, int openMode) {
    open_->SelectRecording(index, openMode);
}
void CTransportController::ResetPlaybackViews() { open_->ResetPlaybackViews(); }
void CTransportController::StopPlayback() { commands_->StopPlayback(); }
bool CTransportController::PlayAndResume() { return commands_->PlayAndResume(); }
bool CTransportController::PauseAndHold() { return commands_->PauseAndHold(); }
void CTransportController::SeekTo(int target) { commands_->SeekTo(target); }
void CTransportController::ShowFrame(int frame) { frames_->ShowFrame(frame); }
void CTransportController::RepaintVideo() { commands_->RepaintVideo(); }
void CTransportController::NextRecording() { continuous_->NextRecording(); }
void CTransportController::NextFolder() { continuous_->NextFolder(); }
bool CTransportController::GuardRefuses() { return commands_->GuardRefuses(); }
void CTransportController::RefreshSpeedLabel() { commands_->RefreshSpeedLabel(); }
void CTransportController::ToStart() {
    commands_->ToStart();
}
void CTransportController::CloseForJob() {
    open_->CloseForJob();
}
bool CTransportController::ReopenAfterJob() {
    return open_->ReopenAfterJob();
}
void CTransportController::SeekToCurrentFrame() {
    c_->State.IgnoreNextEnd = 1;
    c_->Api.SeekToFrame(c_->Engine, c_->Api.GetCurrentFrame(c_->Engine));
}

bool CTransportController::OnMessage(int message, intptr_t wParam, intptr_t lParam) {
    switch (message) {
    case WM_APP_MEDIA_READY:
        open_->OnMovieReady();
        return true;
    case WM_APP_MEDIA_ENDED:
        continuous_->OnEndOfMedia();
        return true;
    case WM_APP_LOADER_DONE:
        open_->OnLoaderDone(lParam);
        return true;
    case WM_APP_STEP_FRAME:
        c_->State.IgnoreNextEnd = 1;
        c_->Api.SeekToFrame(c_->Engine, lParam);
        return true;
    case WM_APP_STEP_END:
        continuous_->EndOfRecording();
        return true;
    case WM_APP_SLIDER_PRESS:
    case WM_APP_SLIDER_DRAG:
    case WM_APP_SLIDER_RELEASE:
        // The seek slider's; the window handles the volume slider itself.
        if (wParam != 38100)
            return false;
        commands_->OnSlider(message, static_cast<int>(lParam));
        return true;
    default:
        return false;
    }
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
            frames_->Tick();
            break;
        case TimerOpen:
            KillTimer(TimerOpen);
            open_->OnOpenTimer();
            break;
        case TimerOpenTimeout:
            KillTimer(TimerOpenTimeout);
            open_->OnOpenTimeout();
            break;
        case TimerIgnoreEnd:
            KillTimer(TimerIgnoreEnd);
            c_->State.IgnoreNextEnd = 0;
            c_->Host.RefreshButtons();
            break;
        default:
            break;
        }
        return;
    }
    QObject::timerEvent(event);
}

int CTransportController::TotalFrames() const {
    if (!c_->Engine.Ready)
        return 0;
    return static_cast<int>(std::clamp<int64_t>(c_->Api.GetTotalFrames(c_->Engine), 0, INT32_MAX));
}

} // namespace kestrel
