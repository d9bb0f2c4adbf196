// Whether the map or the logo stands on the right of the Small size.
#include "window/MapOrLogo.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(MapOrLogo, TheMapOnlyWithEverythingInPlace) {
    const auto ready = [] {
        MapOrLogoInputs in;
        in.SampleHasPosition = in.MapPageReady = in.DisplayedSlotHasGps = in.RecordingSelected =
            true;
        in.RecordingKind = 0;
        return in;
    };
    struct Case {
        const char* What;
        void (*Change)(MapOrLogoInputs&);
        bool Map;
        bool Logo;
    } cases[] = {
        {"all in place", [](MapOrLogoInputs&) {}, true, false},
        {"no position", [](MapOrLogoInputs& in) { in.SampleHasPosition = false; }, false, true},
        {"page not ready", [](MapOrLogoInputs& in) { in.MapPageReady = false; }, false, true},
        {"no GPS samples", [](MapOrLogoInputs& in) { in.DisplayedSlotHasGps = false; }, false,
         true},
        {"nothing selected", [](MapOrLogoInputs& in) { in.RecordingSelected = false; }, false,
         true},
        {"parking", [](MapOrLogoInputs& in) { in.RecordingKind = 3; }, false, true},
        {"parking impact", [](MapOrLogoInputs& in) { in.RecordingKind = 4; }, false, true},
        {"kind 7", [](MapOrLogoInputs& in) { in.RecordingKind = 7; }, false, true},
        {"kind 8", [](MapOrLogoInputs& in) { in.RecordingKind = 8; }, false, true},
        {"kind 5", [](MapOrLogoInputs& in) { in.RecordingKind = 5; }, true, false},
        {"no browser runtime", [](MapOrLogoInputs& in) { in.NoMap = true; }, false, true},
        {"medium size", [](MapOrLogoInputs& in) { in.DisplaySize = SizeMedium; }, false, false},
        {"large, no map",
         [](MapOrLogoInputs& in) {
             in.DisplaySize = SizeLarge;
             in.NoMap = true;
         },
         false, false},
        {"full screen", [](MapOrLogoInputs& in) { in.FullScreen = true; }, false, false},
    };
    for (const Case& c : cases) {
        MapOrLogoInputs in = ready();
        c.Change(in);
        const MapOrLogoChoice choice = MapOrLogo::Decide(in);
        EXPECT_EQ(choice.ShowMap, c.Map) << c.What;
        EXPECT_EQ(choice.ShowLogo, c.Logo) << c.What;
    }
}

} // namespace
} // namespace kestrel
