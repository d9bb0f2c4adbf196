#include "video/VideoZoom.h"

#include <cmath>

namespace kestrel {

std::optional<ZoomState> VideoZoom::Step(const ZoomState& current, const QRect& client,
                                         const QPoint& point, const Rect& destination,
                                         int displaySize) {
    if (client.isEmpty())
        return std::nullopt;
    const float s = current.Scale;
    // The new anchor is the picture point under the click, expressed in the geometry the
    // engine grows the surface rectangle by; the offset then keeps that point under the
    // pointer. Worked in single precision, as the engine places the picture.
    const float px = static_cast<float>(point.x());
    const float py = static_cast<float>(point.y());
    const int right = client.x() + client.width();
    ZoomState next;
    next.AnchorX =
        right + point.x() -
        static_cast<int>(std::trunc((px * (s - 1.0f) + static_cast<float>(destination.Right)) / s));
    next.AnchorY =
        client.y() + point.y() -
        static_cast<int>(std::trunc((py * (s - 1.0f) + static_cast<float>(destination.Top)) / s));
    next.OffsetX = point.x() - next.AnchorX;
    next.OffsetY = point.y() - next.AnchorY;
    next.Scale = s + 1.0f;
    if (next.Scale > kMaxScale)
        return ZoomState::ResetFor(displaySize);
    return next;
}

} // namespace kestrel
