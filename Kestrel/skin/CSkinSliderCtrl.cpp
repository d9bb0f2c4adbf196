#include "skin/CSkinSliderCtrl.h"

#include "shell/AppEvent.h"
#include "skin/CResourceImage.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace kestrel {

CSkinSliderCtrl::CSkinSliderCtrl(int id, QWidget* parent) : QWidget(parent), id_(id) {
    setWindowTitle(QStringLiteral("movie slider"));
    if (parent)
        setGeometry(0, parent->height(), parent->width(), 10);
}

bool CSkinSliderCtrl::LoadImages(int filled, int empty, int thumb, int pressedThumb) {
    const qreal dpr = CResourceImage::RatioFor(this);
    filled_ = CResourceImage::LoadSkinBitmap(filled, dpr);
    empty_ = CResourceImage::LoadSkinBitmap(empty, dpr);
    thumb_ = CResourceImage::LoadSkinBitmap(thumb, dpr);
    pressedThumb_ = CResourceImage::LoadSkinBitmap(pressedThumb, dpr);
    const int thumbHeight = thumb_.isNull() ? 10 : thumb_.height() / static_cast<int>(dpr);
    surface_.Create(QSize(1920, thumbHeight), dpr);
    update();
    return !filled_.isNull() && !empty_.isNull() && !thumb_.isNull() && !pressedThumb_.isNull();
}

void CSkinSliderCtrl::SetValue(int value) {
    value_ = value;
    repaint();
}

float CSkinSliderCtrl::Fraction() const {
    const int range = Max - Min + 1;
    if (Max - Min < 0 || range == 0)
        return 0.0f;
    return static_cast<float>(value_) / static_cast<float>(range);
}

int CSkinSliderCtrl::PositionFromX(int x, int current) const {
    const int range = Max - Min + 1;
    if (range <= 0 || width() <= 0)
        return current;
    const double scale = static_cast<double>(width()) / range;
    if (scale <= 0.0)
        return current;
    const int value = static_cast<int>(x / scale);
    return std::clamp(value, Min, Max);
}

QRect CSkinSliderCtrl::ThumbRect() const {
    const QSize thumb =
        thumb_.isNull() ? QSize(0, height()) : thumb_.size() / thumb_.devicePixelRatio();
    const int range = Max - Min + 1;
    const int x =
        range > 0
            ? static_cast<int>(static_cast<long long>(value_) * (width() - thumb.width()) / range)
            : 0;
    return QRect(x, 0, thumb.width(), thumb.height());
}

void CSkinSliderCtrl::Render() {
    const int w = width();
    const int h = height();
    surface_.EnsureSize(QSize(w, h));
    QPainter p(&surface_.Bitmap());
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(QRect(0, 0, w, h), Qt::transparent);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // The fraction is taken in single precision, the pixel sizes from it are cut to whole pixels.
    const double e = Fraction();
    if (!filled_.isNull()) {
        const QSizeF part = filled_.size() / filled_.devicePixelRatio();
        CResourceImage::DrawPart(p, QRectF(0, 0, static_cast<int>(w * e), part.height()), filled_,
                                 QRectF(0, 0, static_cast<int>(part.width() * e), part.height()));
    }
    if (!empty_.isNull()) {
        const QSizeF part = empty_.size() / empty_.devicePixelRatio();
        CResourceImage::DrawPart(
            p,
            QRectF(static_cast<int>(w * e) + 1, 0, static_cast<int>(w * (1.0 - e)) + 1,
                   part.height()),
            empty_, QRectF(0, 0, static_cast<int>(part.width() * (1.0 - e)), part.height()));
    }
    const QPixmap& thumb = dragging_ ? pressedThumb_ : thumb_;
    if (!thumb.isNull()) {
        const QRect at = ThumbRect();
        const QSizeF part = thumb.size() / thumb.devicePixelRatio();
        CResourceImage::DrawPart(p, QRectF(at.x(), 0, part.width() + 2, part.height()), thumb,
                                 QRectF(QPointF(0, 0), part));
    }
}

void CSkinSliderCtrl::paintEvent(QPaintEvent*) {
    Render();
    // What the pictures leave open shows the window behind the slider.
    QPainter painter(this);
    surface_.CopyTo(painter, QPoint(0, 0), size());
}

void CSkinSliderCtrl::Post(int message) {
    PostAppEvent(parentWidget(), message, id_, mouseValue_);
}

void CSkinSliderCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const int x = static_cast<int>(event->position().x());
    if (!Enabled || !InsideReach(x))
        return;
    mouseValue_ = PositionFromX(x, mouseValue_);
    const QRect thumb = ThumbRect();
    jumpClick_ = x > thumb.left() - 10 && x < thumb.left() + thumb.width() + 10 ? 0 : 1;
    pressPoint_ = event->position().toPoint();
    dragging_ = 1;
    Post(WM_APP_SLIDER_PRESS);
    update();
}

void CSkinSliderCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_)
        return;
    if (!Enabled) {
        ReleaseDrag();
        return;
    }
    const int x = static_cast<int>(event->position().x());
    if (!InsideReach(x) || Max - Min + 1 <= 0)
        return;
    mouseValue_ = PositionFromX(x, mouseValue_);
    Post(WM_APP_SLIDER_DRAG);
}

void CSkinSliderCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_)
        return;
    if (!Enabled) {
        ReleaseDrag();
        return;
    }
    dragging_ = 0;
    Post(WM_APP_SLIDER_RELEASE);
    update();
}

void CSkinSliderCtrl::ReleaseDrag() {
    dragging_ = 0;
    update();
}

} // namespace kestrel
