#include "video/VideoPictureStore.h"

#include <QPainter>

namespace kestrel {

void VideoPictureStore::ShownSize(const Rect& destination, const QSize& client, int& width,
                                  int& height) const {
    width = 0;
    height = 0;
    const QRect placed(destination.Left, destination.Top, destination.Width(),
                       destination.Height());
    if (placed.isEmpty() || !QRect(QPoint(0, 0), client).contains(placed))
        return;
    qreal ratio = 1.0;
    {
        std::lock_guard guard(lock_);
        ratio = ratio_;
    }
    width = qRound(placed.width() * ratio);
    height = qRound(placed.height() * ratio);
}

void VideoPictureStore::Store(const VideoPicture& picture, const Rect& destination) {
    if (!picture.Pixels || picture.Width <= 0 || picture.Height <= 0 ||
        picture.Stride < picture.Width * 4) {
        return;
    }
    // The player's buffer is valid only during the call: copy it. The byte order blue,
    // green, red, unused is Qt's RGB32 on a little-endian machine.
    const QImage view(picture.Pixels, picture.Width, picture.Height, picture.Stride,
                      QImage::Format_RGB32);
    QImage copy = view.copy();
    std::lock_guard guard(lock_);
    picture_ = std::move(copy);
    destination_ =
        QRect(destination.Left, destination.Top, destination.Width(), destination.Height());
    time_ = picture.Time;
    ++stored_;
}

void VideoPictureStore::SetPixelRatio(qreal ratio) {
    std::lock_guard guard(lock_);
    ratio_ = ratio > 0.0 ? ratio : 1.0;
}

void VideoPictureStore::FillBlack(const Rect& area) {
    const QRect black(area.Left, area.Top, area.Width(), area.Height());
    std::lock_guard guard(lock_);
    // Black over the picture's place hides it; black elsewhere is drawn anyway.
    if (black.intersects(destination_))
        picture_ = QImage();
}

void VideoPictureStore::Clear() {
    std::lock_guard guard(lock_);
    picture_ = QImage();
    destination_ = QRect();
}

void VideoPictureStore::Paint(QPainter& painter, const QRect& client) const {
    QImage picture;
    QRect destination;
    {
        std::lock_guard guard(lock_);
        picture = picture_; // shared, not copied
        destination = destination_;
    }
    if (picture.isNull() || destination.isEmpty()) {
        painter.fillRect(client, Qt::black);
        return;
    }
    const QRegion around = QRegion(client).subtracted(destination);
    for (const QRect& part : around)
        painter.fillRect(part, Qt::black);
    // A picture made at the size it is shown at is copied to the screen as it is.
    const QSize shown(qRound(destination.width() * painter.device()->devicePixelRatioF()),
                      qRound(destination.height() * painter.device()->devicePixelRatioF()));
    if (picture.size() == shown) {
        picture.setDevicePixelRatio(painter.device()->devicePixelRatioF());
        painter.drawImage(destination.topLeft(), picture);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(destination, picture);
}

QImage VideoPictureStore::Picture(int64_t* time) const {
    std::lock_guard guard(lock_);
    if (time)
        *time = time_;
    return picture_;
}

QRect VideoPictureStore::Destination() const {
    std::lock_guard guard(lock_);
    return destination_;
}

int64_t VideoPictureStore::StoredCount() const {
    std::lock_guard guard(lock_);
    return stored_;
}

} // namespace kestrel
