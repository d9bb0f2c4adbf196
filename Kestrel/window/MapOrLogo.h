#pragma once
// Whether the map window or the logo panel stands on the right of the Small size.
#include "window/MainLayout.h"

namespace kestrel {

struct MapOrLogoInputs {
    int DisplaySize = SizeSmall;
    bool FullScreen = false;
    bool SampleHasPosition = false; // the current sample has a valid position
    bool MapPageReady = false;
    bool DisplayedSlotHasGps = false;
    bool RecordingSelected = false;
    int RecordingKind = -1;
    bool NoMap = false;
};

struct MapOrLogoChoice {
    bool ShowMap = false;
    bool ShowLogo = false;
};

class MapOrLogo {
  public:
    static MapOrLogoChoice Decide(const MapOrLogoInputs& in);
};

} // namespace kestrel
