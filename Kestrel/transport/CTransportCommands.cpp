#include "transport/CTransportCommands.h"

#include "engine/PlaybackPipeline.h"
#include "shell/AppEvent.h"
#include "shell/UiQText.h"
#include "skin/CSkinSliderCtrl.h"
#include "transport/CContinuousPlayback.h"
#include "transport/CFrameFanOut.h"
#include "transport/COpenSequence.h"
#include "transport/CTransportController.h"
#include "transport/PlaybackHost.h"
#include "views/CGSensorDlg.h"
#include "views/CInfoDlg.h"

#include <algorithm>
#include <mutex>

namespace kestrel {

using namespace transport;

bool CTransportCommands::GuardRefuses() {
    EngineContext& engine = c_.Engine;
    if (!c_.State.RecordingOpen)
        return true;
    if (engine.PlayState != kPlayStatePlaying)
        return false;
    const int64_t total = c_.Api.GetTotalFrames(engine);
    return total != 0 && c_.Api.GetCurrentFrame(engine) +
                                 CTransportController::EndMargin(engine.SpeedCode) >=
                             total;
}

bool CTransportCommands::OnCommand(int id) {
    using C = CTransportController;
    if (id < C::IdStart || id > C::IdNext)
        return false;
    if (GuardRefuses())
        return true;
    switch (id) {
    case C::IdStart:
        ToStart();
        break;
    case C::IdPrevious:
        Previous();
        break;
    case C::IdPlayPause:
        PlayPause();
        break;
    case C::IdSlower:
        ChangeSpeed(false);
        break;
    case C::IdFaster:
        ChangeSpeed(true);
        break;
    case C::IdNext:
        c_.Api.Pause(c_.Engine);
        StopPlayback();
        c_.Continuous->NextRecording();
        break;
    default:
        break;
    }
    return true;
}

// ---- Playing, pausing, stopping ----

bool CTransportCommands::PlayAndResume() {
    EngineContext& engine = c_.Engine;
    if (!engine.Ready || (engine.PlayState != kPlayStateStopped && engine.PlayState != kPlayStatePaused))
        return false;
    c_.State.IgnoreNextEnd = 0;
    const bool running = c_.Api.Run(engine) != 0;
    if (running)
        c_.Host.ShowPlayStateOnMap(kPlayStatePlaying);
    return running;
}

bool CTransportCommands::PauseAndHold() {
    if (c_.Engine.PlayState != kPlayStatePlaying)
        return false;
    c_.Seek.Enabled = 1;
    const bool paused = c_.Api.Pause(c_.Engine) != 0;
    if (paused) {
        c_.Host.SetPlayFace(false);
        c_.Host.ShowPlayStateOnMap(kPlayStatePaused);
    }
    return paused;
}

void CTransportCommands::StopPlayback() {
    if (c_.Engine.PlayState != kPlayStatePlaying && c_.Engine.PlayState != kPlayStatePaused)
        return;
    std::lock_guard lock(c_.MutexCache);
    c_.Seek.Enabled = 1;
    c_.Api.Stop(c_.Engine);
    if (!c_.State.EndHandling)
        c_.Host.SetPlayFace(false);
    c_.Host.ShowPlayStateOnMap(kPlayStateStopped);
}

void CTransportCommands::RepaintVideo() {
    EngineContext& engine = c_.Engine;
    if (!engine.Ready || engine.PlayState == 0) {
        c_.Host.FillVideoBlack();
        return;
    }
    // The surface keeps the last picture it was given; the presenter repaints its newest
    // picture on request, so a stopped or paused movie needs no run and stop to show again.
    if (engine.PlayState == kPlayStatePlaying && (engine.SpeedCode == -2 || engine.SpeedCode == -4)) {
        c_.Api.Pause(engine);
        c_.Api.Refresh(engine);
        c_.Api.Run(engine);
        return;
    }
    if (engine.PlayState == kPlayStatePaused || engine.PlayState == kPlayStateStopped)
        c_.Api.Refresh(engine);
}

void CTransportCommands::RefreshSpeedLabel() {
    const int slot =
        CTransportController::SpeedLabelSlot(c_.Engine.SpeedCode, c_.Engine.Ready != 0);
    c_.Info.SpeedLabel = slot ? UiQText(slot) : QString();
    c_.Info.Refresh();
}

// ---- The buttons ----

void CTransportCommands::ToStart() {
    c_.Api.SetSpeed(c_.Engine, 1);
    c_.Api.SetVolume(c_.Engine, c_.Host.Volume());
    RefreshSpeedLabel();
    c_.Api.JumpToFrame(c_.Engine, 0);
    c_.Frames->ShowFrame(0);
    StopPlayback();
    c_.Host.RefreshButtons();
}

void CTransportCommands::PlayPause() {
    EngineContext& engine = c_.Engine;
    if (engine.PlayState != kPlayStatePlaying) {
        c_.Api.SetVolume(engine, c_.Host.Volume());
        const bool started = PlayAndResume() && engine.PlayState == kPlayStatePlaying;
        if (!started)
            c_.State.PlayWhenLoaded = 1;
        RefreshSpeedLabel();
        c_.Host.SetPlayFace(started);
        c_.Host.RefreshButtons();
        return;
    }
    // The rate change is applied by the player before it handles the pause that follows, so
    // the window need not wait for it.
    if (engine.SpeedCode != 1)
        c_.Api.SetSpeed(engine, 1);
    const bool paused = PauseAndHold();
    RefreshSpeedLabel();
    if (!c_.Host.FullScreen())
        c_.Info.Refresh();
    if (paused)
        c_.Host.SetPlayFace(false);
    c_.State.IgnoreNextEnd = 1;
    // The paused picture is exactly the frame the clock stands at, and so are the readouts:
    // a frame step starts from what is shown.
    const int frame = c_.Api.GetCurrentFrame(engine);
    c_.Api.SeekToFrame(engine, frame);
    c_.Frames->ShowFrame(frame);
    c_.Host.RefreshButtons();
}

void CTransportCommands::ChangeSpeed(bool faster) {
    const int next = NextSpeedCode(c_.Engine, faster ? 1 : 0);
    if (next == c_.Engine.SpeedCode)
        return;
    c_.Api.SetSpeed(c_.Engine, next);
    c_.Host.RefreshButtons();
    RefreshSpeedLabel();
}

void CTransportCommands::StepTo(int index, int openMode) {
    c_.Seek.ReleaseDrag();
    c_.Graph.SetDataState(false, true);
    c_.Seek.SetValue(0);
    c_.Graph.SetPlaybackPosition(0, c_.Seek.Max - c_.Seek.Min);
    c_.Open->SelectRecording(index, openMode);
}

void CTransportCommands::Previous() {
    c_.Api.Pause(c_.Engine);
    StopPlayback();
    std::lock_guard lock(c_.MutexCache);
    if (c_.State.CurrentIndex > 0) {
        StepTo(c_.State.CurrentIndex - 1, CTransportController::OpenByPrevious);
        return;
    }
    c_.Api.SetSpeed(c_.Engine, 1);
    StopPlayback();
    c_.Api.JumpToFrame(c_.Engine, 0);
    RepaintVideo();
    c_.Frames->ShowFrame(0);
    c_.Host.RefreshButtons();
}

// ---- Seeking ----

void CTransportCommands::SeekTo(int target) {
    const int max = c_.Seek.Max;
    const int min = c_.Seek.Min;
    const int margin = CTransportController::EndMargin(c_.Engine.SpeedCode);
    const bool clamped = target > max - margin;
    const int seekFrame = clamped ? max - margin : target;
    const int shown = std::max(min, std::min(target, max - 1));
    if (c_.Engine.PlayState == kPlayStatePlaying) {
        c_.Api.Pause(c_.Engine);
        c_.Api.SeekToFrame(c_.Engine, std::max(seekFrame, 0));
        c_.Frames->ShowFrame(shown);
        c_.Api.Run(c_.Engine);
        return;
    }
    if (clamped && max < margin)
        c_.State.IgnoreNextEnd = 1;
    c_.Api.JumpToFrame(c_.Engine, std::max(seekFrame, 0));
    c_.Frames->ShowFrame(shown);
    c_.Host.RefreshButtons();
}

void CTransportCommands::OnSlider(int message, int position) {
    const TransportState& s = c_.State;
    if (s.WaitingForMovie)
        return;
    switch (message) {
    case WM_APP_SLIDER_PRESS:
        if (!s.RecordingOpen)
            return;
        sliderPlayState_ = c_.Engine.PlayState;
        if (c_.Engine.PlayState != kPlayStatePaused)
            c_.Api.Pause(c_.Engine);
        if (c_.Seek.JumpClick()) {
            SeekTo(position);
            if (sliderPlayState_ == kPlayStatePlaying)
                PlayAndResume();
        }
        break;
    case WM_APP_SLIDER_DRAG:
        // The readouts follow the thumb; the picture moves when it is let go.
        if (s.RecordingOpen && !c_.Seek.JumpClick())
            c_.Frames->ShowFrame(position);
        break;
    case WM_APP_SLIDER_RELEASE:
        if (s.RecordingOpen && !c_.Seek.JumpClick()) {
            SeekTo(position);
            if (sliderPlayState_ == kPlayStatePlaying)
                PlayAndResume();
        }
        break;
    default:
        break;
    }
}

} // namespace kestrel
