#pragma once
// The transport commands of the buttons (start, previous, play/pause, slower, faster, next),
// the position slider, seeking, and playing, pausing and stopping the open movie.
#include "transport/TransportContext.h"

namespace kestrel {

class CTransportCommands {
  public:
    explicit CTransportCommands(TransportContext& c) : c_(c) {}

    // Commands 38000..38005; false for other ids.
    bool OnCommand(int id);
    // The seek slider's press, drag and release.
    void OnSlider(int message, int position);
    // The near-end guard: true when a command must be ignored now.
    bool GuardRefuses();

    void SeekTo(int target);
    bool PlayAndResume();
    bool PauseAndHold();
    void StopPlayback();
    void RepaintVideo();
    void RefreshSpeedLabel();
    // Selects the neighbour `index` with the slider and the graph back at the start.
    void StepTo(int index, int openMode);
    // To the start (command 38000): normal speed, frame 0, stopped.
    void ToStart();

  private:
    void Previous();
    void PlayPause();
    void ChangeSpeed(bool faster);

    TransportContext& c_;
    int sliderPlayState_ = 0;
};

} // namespace kestrel
