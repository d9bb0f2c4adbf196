#include "skin/CResourceImage.h"

#include "skin/SkinArtwork.h"
#include "skin/SkinPictures.h"
#include "views/ViewArtwork.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>

namespace kestrel {
namespace {

// The bank's pictures in load order.
constexpr int kBankOrder[] = {
    pictures::kBackground,       pictures::kLogo,
    pictures::kQualityBadges[0], pictures::kQualityBadges[1],
    pictures::kQualityBadges[2], pictures::kQualityBadges[3],
    pictures::kQualityBadges[4], pictures::kQualityBadges[5],
    pictures::kAppIcon,
};

} // namespace

void CResourceImage::Load(const QWidget* window) {
    Clear();
    const qreal dpr = RatioFor(window);
    obdCanvas_ = QPixmap(QSize(210, 170) * dpr);
    obdCanvas_.setDevicePixelRatio(dpr);
    obdCanvas_.fill(Qt::black);
    for (const int id : kBankOrder) {
        QPixmap picture = SkinArtwork::Make(id, dpr);
        if (!picture.isNull())
            pictures_.emplace(id, std::move(picture));
    }
    int count = 0;
    const int* views = ViewArtwork::Numbers(count);
    for (int i = 0; i < count; ++i) {
        QPixmap picture = ViewArtwork::Make(views[i], dpr);
        if (!picture.isNull())
            pictures_.emplace(views[i], std::move(picture));
    }
}

void CResourceImage::Clear() {
    pictures_.clear();
    obdCanvas_ = QPixmap();
}

const QPixmap* CResourceImage::Picture(int id) const {
    const auto it = pictures_.find(id);
    return it == pictures_.end() ? nullptr : &it->second;
}

QPixmap CResourceImage::LoadSkinBitmap(int id, qreal dpr) {
    return SkinArtwork::Make(id, dpr);
}

qreal CResourceImage::RatioFor(const QWidget* window) {
    if (window && window->screen())
        return window->screen()->devicePixelRatio();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->devicePixelRatio();
    return 1.0;
}

void CResourceImage::DrawPart(QPainter& painter, const QRectF& target, const QPixmap& picture,
                              const QRectF& source) {
    const qreal dpr = picture.devicePixelRatio();
    const QRectF device(source.x() * dpr, source.y() * dpr, source.width() * dpr,
                        source.height() * dpr);
    painter.drawPixmap(target, picture, device);
}

} // namespace kestrel
