#include "views/ObdGaugePainter.h"

#include "skin/CResourceImage.h"
#include "views/ObdItems.h"
#include "views/ObdNeedleAngles.h"
#include "views/ViewPictures.h"

#include <QBitmap>
#include <QPainter>
#include <QTransform>

#include <cmath>
#include <numbers>

namespace kestrel {

void GaugePictures::Set(const CResourceImage& bank) {
    for (int item = 0; item < kObdItemCount; ++item) {
        QPixmap& dial = Dials[item];
        dial = QPixmap();
        if (const QPixmap* picture = bank.Picture(InfoOf(item).Dial)) {
            dial = *picture;
            dial.setMask(QBitmap::fromImage(
                picture->toImage().createMaskFromColor(qRgb(255, 255, 255), Qt::MaskInColor)));
        }
    }
    Needle = QPixmap();
    const QPixmap* needle = bank.Picture(pictures::kNeedle);
    const QPixmap* mask = bank.Picture(pictures::kNeedleMask);
    if (needle && mask) {
        QImage cut = needle->toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter p(&cut);
        p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        p.drawPixmap(0, 0, *mask);
        p.end();
        Needle = QPixmap::fromImage(cut);
        Needle.setDevicePixelRatio(needle->devicePixelRatio());
    }
}

void ObdGaugePainter::Draw(QPainter& canvas, int item, int value, const GaugePictures& pictures) {
    canvas.fillRect(QRect(0, 0, kCanvasWidth, kCanvasHeight), Qt::black);
    const QPixmap& dial = pictures.Dials[item >= 0 && item < kObdItemCount ? item : 0];
    const int dialW = 210;
    if (!dial.isNull())
        canvas.drawPixmap(0, 0, dial);
    if (pictures.Needle.isNull())
        return;
    const int w = 22, h = 106;
    const int cx = dialW / 2, cy = 108;
    const double theta = ObdNeedleAngles::Angle(item, value) * std::numbers::pi / 180.0;
    const double c = std::cos(theta), s = std::sin(theta);
    // The needle's corners, turned about the pivot and cut to whole pixels.
    const auto turn = [&](int x, int y) {
        return QPoint(static_cast<int>(cx + (x - cx) * c - (y - cy) * s),
                      static_cast<int>((x - cx) * s + (y - cy) * c + cy));
    };
    const int left = dialW / 2 - w / 2, top = 20;
    const QPoint p0 = turn(left, top), p1 = turn(left + w, top), p2 = turn(left, top + h);
    const QTransform toCanvas((p1.x() - p0.x()) / double(w), (p1.y() - p0.y()) / double(w),
                              (p2.x() - p0.x()) / double(h), (p2.y() - p0.y()) / double(h), p0.x(),
                              p0.y());
    canvas.save();
    canvas.setRenderHint(QPainter::SmoothPixmapTransform);
    canvas.setTransform(toCanvas, true);
    canvas.drawPixmap(QRect(0, 0, w, h), pictures.Needle);
    canvas.restore();
}

} // namespace kestrel
