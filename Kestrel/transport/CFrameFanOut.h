#pragma once
// The per-frame update of the views: the shown frame's values go to the readouts, the graph
// cursor, the position slider, the OBD panel and the map; the 30 ms tick follows the engine's
// frame while playing.
#include "transport/TransportContext.h"

namespace kestrel {

class CFrameFanOut {
  public:
    explicit CFrameFanOut(TransportContext& c) : c_(c) {}
    // Shows `frame`, limited to the recording's range, in every view.
    void ShowFrame(int frame);
    void Tick();

  private:
    TransportContext& c_;
};

} // namespace kestrel
