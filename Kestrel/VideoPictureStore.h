#pragma once
// The picture the video surface shows: the player's presenting thread hands each finished
// picture over under a small lock; the surface paints the newest one on its own thread.
#include "engine/VideoWindow.h"

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
    // Forgets the picture where `area` is painted black. Any thread.
    void FillBlack(const Rect& area);
    // Forgets the picture altogether.
    void Clear();

    // Paints the picture at its destination and black around it, over `client`.
    void Paint(QPainter& painter, const QRect& client) const;
    // The newest picture as it was given (null when there is none), and its media time.
    QImage Picture(int64_t* time = nullptr) const;
    QRect Destination() const;
    int64_t StoredCount() const;

  private:
    mutable std::mutex lock_; // guards everything below
    QImage picture_;
    QRect destination_;
    int64_t time_ = 0;
    int64_t stored_ = 0;
};

} // namespace kestrel
