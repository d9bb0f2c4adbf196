#pragma once
// What the video surface asks of the main window when it is clicked: the zoom step, the
// full-screen rule and the context menu. It also asks whether a movie is there to be shown.
#include <QPoint>

namespace kestrel {

class VideoSurfaceHandler {
  public:
    virtual ~VideoSurfaceHandler() = default;
    // A single click, at `point` in the surface's client coordinates.
    virtual void ZoomStep(const QPoint& point) = 0;
    // A double click outside zoom mode.
    virtual void VideoDoubleClicked() = 0;
    // The right button or the menu key, at `globalPoint` on the screen.
    virtual void VideoMenuRequested(const QPoint& globalPoint) = 0;
    // The engine is ready and has a movie open; otherwise the surface shows black.
    virtual bool MovieShown() const = 0;
};

} // namespace kestrel
