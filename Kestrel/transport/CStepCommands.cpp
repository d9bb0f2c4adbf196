#include "transport/CStepCommands.h"

#include "shell/KeyCommands.h"
#include "skin/CSkinSliderCtrl.h"
#include "transport/CTransportCommands.h"
#include "transport/PlaybackHost.h"

#include <algorithm>
#include <cmath>

namespace kestrel {

using namespace transport;

bool CStepCommands::OnCommand(int id) {
    switch (id) {
    case IdFrameBack:
        StepFrames(-1);
        return true;
    case IdFrameForward:
        StepFrames(1);
        return true;
    case IdSeekBack:
        SeekBy(-1);
        return true;
    case IdSeekForward:
        SeekBy(1);
        return true;
    case IdVolumeUp:
    case IdVolumeDown:
        // As the volume slider: not while a recording opens.
        if (!c_.State.WaitingForMovie)
            c_.Host.ApplyVolume(c_.Host.Volume() + (id == IdVolumeUp ? kVolumeStep : -kVolumeStep));
        return true;
    default:
        return false;
    }
}

bool CStepCommands::MayMove() {
    return !c_.State.WaitingForMovie && !c_.Commands->GuardRefuses();
}

// From the frame the readouts and the slider show, which is the picture's after a pause or
// a seek.
void CStepCommands::StepFrames(int frames) {
    if (!MayMove() || c_.Engine.PlayState != kPlayStatePaused)
        return;
    const CSkinSliderCtrl& slider = c_.Seek;
    const int shown = slider.Value();
    const int target = std::clamp(shown + frames, slider.Min, std::max(slider.Min, slider.Max - 1));
    if (target != shown)
        c_.Commands->SeekTo(target);
}

void CStepCommands::SeekBy(int direction) {
    if (!MayMove())
        return;
    const double frameMs = c_.Api.GetFrameMs(c_.Engine);
    if (!(frameMs > 0.0))
        return;
    const int frames = static_cast<int>(std::lround(kSeekSeconds * 1000.0 / frameMs));
    const CSkinSliderCtrl& slider = c_.Seek;
    const int shown = slider.Value();
    const int target = std::clamp(shown + direction * frames, slider.Min, slider.Max);
    if (target != shown)
        c_.Commands->SeekTo(target);
}

} // namespace kestrel
