#include "window/MapOrLogo.h"

namespace kestrel {

MapOrLogoChoice MapOrLogo::Decide(const MapOrLogoInputs& in) {
    MapOrLogoChoice choice;
    const bool smallWindow = in.DisplaySize == SizeSmall && !in.FullScreen;
    // Parking recordings (kinds 3, 4, 7, 8) never show the map.
    const bool parkingKind = in.RecordingKind == 3 || in.RecordingKind == 4 ||
                             in.RecordingKind == 7 || in.RecordingKind == 8;
    choice.ShowMap = smallWindow && in.SampleHasPosition && in.MapPageReady &&
                     in.DisplayedSlotHasGps && in.RecordingSelected && !parkingKind && !in.NoMap;
    // Without a connection the map still draws its lines, so the connection is not asked here.
    choice.ShowLogo = smallWindow && !choice.ShowMap;
    return choice;
}

} // namespace kestrel
