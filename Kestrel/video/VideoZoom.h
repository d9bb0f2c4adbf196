#pragma once
// The zoom of the video picture by single clicks: each click makes the picture one step
// larger around the point clicked, and the click after the third step shows the whole
// picture again.
#include "platform/VideoWindow.h"
#include "window/MainLayout.h"

#include <QPoint>
#include <QRect>

#include <optional>

namespace kestrel {

class VideoZoom {
  public:
    static constexpr float kMaxScale = 3.0f;

    // The state after a click at `point` (client coordinates of the video surface `client`)
    // while the picture stands at `destination`, the rectangle the engine last placed it in.
    // A scale past the third step gives the reset state of `displaySize`. Nothing when the
    // surface has no area.
    static std::optional<ZoomState> Step(const ZoomState& current, const QRect& client,
                                         const QPoint& point, const Rect& destination,
                                         int displaySize);
};

} // namespace kestrel
