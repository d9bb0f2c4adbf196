#include "sources/KindBadge.h"

#include <QPainter>

namespace kestrel {

namespace {
// Marks in two rows of three under the base's strip: manual, impact, parking on the first
// row; parking impact, speed camera, radar on the second.
constexpr int kMarkSide = 9;
constexpr int kMarkLeft = 5;
constexpr int kMarkTop = 7;
constexpr int kMarkStep = 10;
} // namespace

QRect KindBadge::MarkRect(KindMask bit) {
    for (int i = 0; i < 6; ++i) {
        if (kMarkedBits[i] != bit)
            continue;
        return QRect(kMarkLeft + (i % 3) * kMarkStep + 1, kMarkTop + (i / 3) * kMarkStep, kMarkSide,
                     kMarkSide);
    }
    return {};
}

QColor KindBadge::MarkColour(KindMask bit) {
    switch (bit) {
    case 0x02:
        return QColor(0xe0, 0x8a, 0x1e); // manual: orange
    case 0x04:
        return QColor(0xd6, 0x33, 0x2f); // impact: red
    case 0x08:
        return QColor(0x2f, 0x6f, 0xd6); // parking: blue
    case 0x10:
        return QColor(0x8e, 0x3f, 0xc4); // parking impact: violet
    case 0x20:
        return QColor(0xc9, 0xa8, 0x00); // speed camera: amber
    case 0x40:
        return QColor(0x2e, 0x9e, 0x5b); // radar: green
    default:
        return QColor(Qt::white);
    }
}

QImage KindBadge::Compose(KindMask mask, qreal devicePixelRatio) {
    if (mask == 0)
        return {};
    const QSize pixels(qRound(kWidth * devicePixelRatio), qRound(kHeight * devicePixelRatio));
    QImage badge(pixels, QImage::Format_RGB32);
    badge.setDevicePixelRatio(devicePixelRatio);
    badge.fill(Qt::white);
    QPainter painter(&badge);
    painter.setRenderHint(QPainter::Antialiasing);
    // The base: a grey card with a dark strip along its top, like a film folder's tab.
    painter.setPen(QColor(0x88, 0x88, 0x88));
    painter.setBrush(QColor(0xee, 0xee, 0xee));
    painter.drawRoundedRect(QRectF(1.5, 1.5, kWidth - 3, kHeight - 3), 3, 3);
    painter.fillRect(QRectF(2, 2, kWidth - 4, 3), QColor(0x55, 0x5d, 0x66));
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const KindMask bit : kMarkedBits) {
        if ((mask & bit) == 0)
            continue;
        painter.fillRect(MarkRect(bit), MarkColour(bit));
    }
    return badge;
}

} // namespace kestrel
