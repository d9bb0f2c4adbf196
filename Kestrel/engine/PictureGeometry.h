#pragma once
// Where the picture goes in the video surface: the zoomed and offset rectangle, the
// letter box that keeps the picture's shape, the black bars around it, and the corner the
// overlay text covers. Plain arithmetic, shared by the playback operations.
#include "platform/VideoWindow.h"

#include <array>

namespace kestrel {

// The client rectangle (0, 0, width, height) grown by `zoom` around the anchor point
// (zoom 1: unchanged). False when the zoom is 0 or turns the rectangle inside out.
bool ZoomedRect(int clientWidth, int clientHeight, int anchorX, int anchorY, float zoom, Rect& r);

// Fits a picture of videoWidth x videoHeight into `r` keeping its shape, centred. The
// choice between full height and full width follows the client area's shape. False when
// the picture's size is unknown.
bool LetterBox(Rect& r, int videoWidth, int videoHeight, int clientWidth, int clientHeight);

// The four bars between the client area and `r`: left, top, right, bottom.
std::array<Rect, 4> BlackBars(const Rect& r, int clientWidth, int clientHeight);

// The overlay's place as fractions of the picture: its 300 x 120 bitmap, scaled as the
// picture is, in the lower right corner.
struct OverlayPlacement {
    float Left = 0.0f;
    float Top = 0.0f;
    float Right = 1.0f;
    float Bottom = 1.0f;
};
OverlayPlacement PlaceOverlay(int clientWidth, int clientHeight, int videoWidth, int videoHeight,
                              int aspectMode);

} // namespace kestrel
