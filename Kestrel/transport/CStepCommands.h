#pragma once
// The keys' steps through the shown recording: one frame back or on while paused (the picture
// shown is that frame's, as a seek to it shows), five seconds back or on, and the volume a
// step up or down.
#include "transport/TransportContext.h"

namespace kestrel {

class CStepCommands {
  public:
    static constexpr int kSeekSeconds = 5;
    static constexpr int kVolumeStep = 4096; // of 0..65535

    explicit CStepCommands(TransportContext& c) : c_(c) {}

    // The key commands IdFrameBack..IdVolumeDown; false for other ids.
    bool OnCommand(int id);

  private:
    bool MayMove();
    void StepFrames(int frames);
    void SeekBy(int direction);

    TransportContext& c_;
};

} // namespace kestrel
