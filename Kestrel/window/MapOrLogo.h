#pragma once
// Whether the map window or the logo panel stands on the right of the Small size, and which
// logo picture the panel shows.
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
    bool MapWanted = false;
    bool MapConnected = true;
};

struct MapOrLogoChoice {
    bool ShowMap = false;
    bool ShowLogo = false;
    int LogoVariant = 1; // 1 plain logo, 0 logo with the no-connection notice
};

class MapOrLogo {
  public:
    static MapOrLogoChoice Decide(const MapOrLogoInputs& in);
};

} // namespace kestrel
