#pragma once
// The picture the video surface shows: the player's presenting thread hands each finished
// picture over under a small lock; the surface paints the newest one on its own thread. A
// picture larger than its place is kept at the size it is shown at, so that neither the
// copy nor the painting handles more pixels than the screen gets.
#include "platform/VideoWindow.h"

#include <QImage>
#include <QRect>

#include <cstdint>
#include <mutex>

class QPainter;

namespace kestrel {

class VideoPictureStore {
  public:
    // Keeps a copy of `picture` to be drawn scaled into `destination`. Any thread.
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
