#include "skin/COffScreenDC.h"

#include "skin/CResourceImage.h"

#include <QPainter>

namespace kestrel {

void COffScreenDC::Create(QSize size, qreal dpr) {
    size_ = size;
    dpr_ = dpr;
    bitmap_ = QPixmap(size * dpr);
    bitmap_.setDevicePixelRatio(dpr);
    // Whatever the owner leaves undrawn lets the window behind show through.
    bitmap_.fill(Qt::transparent);
}

void COffScreenDC::EnsureSize(QSize size) {
    if (IsValid() && size_.width() >= size.width() && size_.height() >= size.height())
        return;
    Create(size_.expandedTo(size), dpr_);
}

QFont COffScreenDC::SelectFont(const QFont& font) {
    QFont previous = font_;
    font_ = font;
    return previous;
}

void COffScreenDC::ApplyTextStyle(QPainter& painter) const {
    painter.setFont(font_);
    painter.setPen(TextColor);
    painter.setBackgroundMode(TransparentBackground ? Qt::TransparentMode : Qt::OpaqueMode);
}

void COffScreenDC::CopyTo(QPainter& painter, QPoint at, QSize size) const {
    if (!IsValid())
        return;
    CResourceImage::DrawPart(painter, QRectF(at, size), bitmap_, QRectF(QPointF(0, 0), size));
}

} // namespace kestrel
