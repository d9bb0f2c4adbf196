#pragma once
// Where the main window's children go in each display size and in full screen, and the zoom
// state each size starts from. Pure geometry: the window applies it.
#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>

namespace kestrel {

enum DisplaySize : int { SizeSmall = 0, SizeMedium = 1, SizeLarge = 2 };

struct ZoomState {
    int AnchorX = 328;
    int AnchorY = 186;
    int OffsetX = 0;
    int OffsetY = 0;
    float Scale = 1.0f;

    // Scale 1, no offset, the anchor at the centre of the size's video surface.
    static ZoomState ResetFor(int displaySize);
    friend bool operator==(const ZoomState&, const ZoomState&) = default;
};

struct MainLayoutPlan {
    static constexpr int kButtonCount = 13;

    QRect Video;
    QRect Seek;
    QRect Info;
    QRect GSensor;
    QRect MapLogo; // the map window and the logo panel share it
    QRect FilePanel;
    QRect CaptionClose;
    QRect CaptionSize;
    QRect CaptionMinimise;
    QRect Volume;
    bool SeekShown = true;
    bool InfoShown = false;
    bool GSensorShown = false;
    bool MapLogoShown = false;
    bool FilePanelShown = false;
    bool CaptionsShown = true;
    bool VolumeShown = true;
    std::array<QRect, kButtonCount> Buttons{};
    std::array<bool, kButtonCount> ButtonShown{};
};

class MainLayout {
  public:
    static constexpr QSize kWindowSize{1120, 700};
    static constexpr int kButtonSide = 32;

    // The plan for `displaySize`; in full screen only the video surface is shown and it
    // covers `screen` (in the window's coordinates, which then equal the screen's).
    static MainLayoutPlan Plan(int displaySize, bool fullScreen, const QRect& screen);

    // Small -> Medium -> Large -> Small.
    static int NextSize(int displaySize) { return (displaySize + 1) % 3; }
    // The UI text of the size caption button's tooltip: the size it switches to.
    static int NextSizeTextSlot(int displaySize);

    // Where a window at `window` goes to stay on `workArea`: a negative left or top becomes 0;
    // a right or bottom edge past the work area's is pulled back onto it.
    static QPoint KeepOnWorkArea(const QRect& window, const QRect& workArea);
};

} // namespace kestrel
