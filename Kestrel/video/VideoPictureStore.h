#pragma once
// The picture the video surface shows: the player's presenting thread hands each finished
// picture over under a small lock; the surface paints the newest one on its own thread. The
// player makes each picture at the size it is shown at (ShownSize), so that the painting is
// a plain copy to the screen; only a picture of another size (a zoomed one, larger than the
// surface) is scaled while painting.
#include "platform/VideoWindow.h"

#include <QImage>
#include <QRect>

#include <cstdint>
#include <mutex>

class QPainter;

namespace kestrel {

class VideoPictureStore {
  public:
    // The size in device pixels a picture placed at `destination` is shown at on a surface of
    // `client` size: the destination's when it lies within the surface; 0 x 0 (the picture's
    // own size) for a zoomed picture reaching past the surface's edges. Any thread.
    void ShownSize(const Rect& destination, const QSize& client, int& width, int& height) const;
    // Keeps a copy of `picture` to be drawn into `destination`. Any thread.
    void Store(const VideoPicture& picture, const Rect& destination);
    // Device pixels per window pixel of the surface's screen. Any thread.
    void SetPixelRatio(qreal ratio);
    // Forgets the picture where `area` is painted black. Any thread.
    void FillBlack(const Rect& area);
    // Forgets the picture altogether.
    void Clear();

    // Paints the picture at its destination and black around it, over `client`.
    void Paint(QPainter& painter, const QRect& client) const;
    // The newest picture as kept (null when there is none), and its media time.
    QImage Picture(int64_t* time = nullptr) const;
    QRect Destination() const;
    int64_t StoredCount() const;

  private:
    mutable std::mutex lock_; // guards everything below
    QImage picture_;
    QRect destination_;
    int64_t time_ = 0;
    int64_t stored_ = 0;
    qreal ratio_ = 1.0;
};

} // namespace kestrel
