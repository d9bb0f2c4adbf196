#include "engine/PictureGeometry.h"

#include <algorithm>
#include <cmath>

namespace kestrel {
namespace {

// One axis of the zoom: the side before the anchor grows by its share of the added size,
// the side after it by the rest.
bool ZoomAxis(int& low, int& high, int anchor, float k) {
    const int size = high - low;
    if (size <= 0)
        return k == 0.0f;
    const float share = static_cast<float>(anchor) / static_cast<float>(size);
    const float grown = static_cast<float>(size) * k;
    high += static_cast<int>(std::trunc((1.0f - share) * grown));
    low -= static_cast<int>(std::trunc(share * grown));
    return high >= low;
}

} // namespace

bool ZoomedRect(int clientWidth, int clientHeight, int anchorX, int anchorY, float zoom, Rect& r) {
    r = Rect{0, 0, clientWidth, clientHeight};
    if (zoom == 0.0f)
        return false;
    const float k = zoom - 1.0f;
    return ZoomAxis(r.Left, r.Right, anchorX, k) && ZoomAxis(r.Top, r.Bottom, anchorY, k);
}

bool LetterBox(Rect& r, int videoWidth, int videoHeight, int clientWidth, int clientHeight) {
    if (videoWidth <= 0 || videoHeight <= 0 || clientHeight <= 0)
        return false;
    const double ratio = static_cast<double>(videoWidth) / videoHeight;
    int w = 0;
    int h = 0;
    if (static_cast<double>(clientWidth) / clientHeight > ratio) {
        h = r.Bottom - r.Top;
        w = static_cast<int>(std::trunc(h * ratio));
    } else {
        w = r.Right - r.Left;
        h = static_cast<int>(std::trunc(w / ratio));
    }
    const Rect old = r;
    r.Left = (old.Left + old.Right - w) / 2;
    r.Top = (old.Top + old.Bottom - h) / 2;
    r.Right = (old.Left + old.Right + w) / 2 + 2;
    r.Bottom = (old.Top + old.Bottom + h) / 2 + 2;
    return true;
}

std::array<Rect, 4> BlackBars(const Rect& r, int clientWidth, int clientHeight) {
    return {Rect{0, 0, std::max(r.Left, 0), clientHeight},
            Rect{0, 0, clientWidth, std::max(r.Top, 0)},
            Rect{std::min(clientWidth, r.Right), 0, clientWidth, clientHeight},
            Rect{0, std::min(clientHeight, r.Bottom), clientWidth, clientHeight}};
}

OverlayPlacement PlaceOverlay(int clientWidth, int clientHeight, int videoWidth, int videoHeight,
                              int aspectMode) {
    OverlayPlacement p;
    if (clientWidth <= 0 || clientHeight <= 0 || videoWidth <= 0 || videoHeight <= 0)
        return p;
    float sx = static_cast<float>(clientWidth) / static_cast<float>(videoWidth);
    float sy = static_cast<float>(clientHeight) / static_cast<float>(videoHeight);
    if (aspectMode == 0)
        sx = sy = std::min(sx, sy);
    p.Left = 1.0f - std::trunc(300.0f * sx) / static_cast<float>(clientWidth);
    p.Top = 1.0f - std::trunc(120.0f * sy) / static_cast<float>(clientHeight);
    return p;
}

} // namespace kestrel
