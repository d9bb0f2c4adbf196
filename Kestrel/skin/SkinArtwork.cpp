#include "skin/SkinArtwork.h"

#include "skin/SkinPictures.h"

#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSvgRenderer>

#include <array>
#include <cmath>

namespace kestrel {
namespace {

using namespace pictures;

// Palette of the viewer.
const QColor kAccent(0x4f, 0xa3, 0xd9);
const QColor kAccentDeep(0x23, 0x6a, 0x9b);
const QColor kInk(0xd6, 0xdc, 0xe3);
const QColor kInkDim(0x58, 0x5f, 0x68);
const QColor kDanger(0xc4, 0x40, 0x2f);
const QColor kDangerDeep(0x96, 0x2e, 0x22);
const char* const kTextFace = "Noto Sans CJK JP";

// Fill, border and pictogram colour of the four cells: normal, hover, pressed, disabled. A
// transparent fill leaves the cell's background open.
struct StripStyle {
    std::array<QColor, 4> Fill;
    std::array<QColor, 4> Border;
    std::array<QColor, 4> Glyph;
    qreal Radius = 0;
    qreal Inset = 0;
};

const StripStyle kCommandStyle{
    {QColor(0x2b, 0x31, 0x39), QColor(0x36, 0x41, 0x4d), kAccentDeep, QColor(0x21, 0x25, 0x2b)},
    {QColor(0x3d, 0x45, 0x4f), kAccent, kAccent, QColor(0x2a, 0x2f, 0x35)},
    {kInk, Qt::white, Qt::white, kInkDim},
    6.0,
    1.0};

const StripStyle kCaptionStyle{
    {Qt::transparent, QColor(0x3a, 0x43, 0x4d), kAccentDeep, Qt::transparent},
    {Qt::transparent, Qt::transparent, Qt::transparent, Qt::transparent},
    {QColor(0xc3, 0xcb, 0xd3), Qt::white, Qt::white, kInkDim},
    3.0,
    0.0};

const StripStyle kCaptionCloseStyle{
    {Qt::transparent, kDanger, kDangerDeep, Qt::transparent},
    {Qt::transparent, Qt::transparent, Qt::transparent, Qt::transparent},
    {QColor(0xc3, 0xcb, 0xd3), Qt::white, Qt::white, kInkDim},
    3.0,
    0.0};

// The dialog close button sits on the light title strip of the skinned dialogs.
const StripStyle kDialogCloseStyle{
    {Qt::transparent, kDanger, kDangerDeep, Qt::transparent},
    {Qt::transparent, Qt::transparent, Qt::transparent, Qt::transparent},
    {QColor(0x3c, 0x3c, 0x3c), Qt::white, Qt::white, QColor(0x9a, 0x9a, 0x9a)},
    2.0,
    0.0};

QPixmap NewPixmap(QSize logical, qreal dpr) {
    QPixmap pix(QSize(static_cast<int>(std::ceil(logical.width() * dpr)),
                      static_cast<int>(std::ceil(logical.height() * dpr))));
    pix.setDevicePixelRatio(dpr);
    pix.fill(Qt::transparent);
    return pix;
}

QFont TextFont(int pixels, bool bold = false) {
    QFont font(QString::fromUtf8(kTextFace));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// A pictogram in one colour, `side` logical pixels square.
QImage Glyph(const char* name, qreal side, qreal dpr, const QColor& color) {
    const int px = static_cast<int>(std::ceil(side * dpr));
    QImage image(px, px, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QSvgRenderer renderer(QStringLiteral(":/glyphs/%1.svg").arg(QLatin1String(name)));
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), color);
    }
    image.setDevicePixelRatio(dpr);
    return image;
}

QPixmap Strip(const char* glyph, QSize cell, qreal glyphSide, const StripStyle& style, qreal dpr) {
    QPixmap pix = NewPixmap(QSize(cell.width() * 4, cell.height()), dpr);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 4; ++i) {
        const QRectF area(i * cell.width(), 0, cell.width(), cell.height());
        if (style.Fill[i].alpha() > 0) {
            const QRectF box = area.adjusted(style.Inset + 0.5, style.Inset + 0.5,
                                             -style.Inset - 0.5, -style.Inset - 0.5);
            QLinearGradient fill(box.topLeft(), box.bottomLeft());
            fill.setColorAt(0, style.Fill[i].lighter(112));
            fill.setColorAt(1, style.Fill[i]);
            p.setBrush(fill);
            p.setPen(style.Border[i].alpha() > 0 ? QPen(style.Border[i], 1.0) : Qt::NoPen);
            p.drawRoundedRect(box, style.Radius, style.Radius);
        }
        const qreal sink = i == 2 ? 1.0 : 0.0; // a pressed pictogram sits a pixel lower
        const QPointF at(area.center().x() - glyphSide / 2,
                         area.center().y() - glyphSide / 2 + sink);
        p.drawImage(at, Glyph(glyph, glyphSide, dpr, style.Glyph[i]));
    }
    return pix;
}

QPixmap CheckBoxes(qreal dpr) {
    QPixmap pix = NewPixmap(QSize(48, 12), dpr);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    const std::array<QColor, 4> fill{Qt::white, QColor(0xe4, 0xf0, 0xfa), QColor(0x2f, 0x7f, 0xc1),
                                     QColor(0xe2, 0xe2, 0xe2)};
    const std::array<QColor, 4> border{QColor(0x80, 0x89, 0x93), QColor(0x2f, 0x7f, 0xc1),
                                       QColor(0x24, 0x6a, 0xa3), QColor(0xb4, 0xb4, 0xb4)};
    for (int i = 0; i < 4; ++i) {
        const QRectF box(i * 12 + 0.5, 0.5, 11, 11);
        p.setPen(QPen(border[i], 1.0));
        p.setBrush(fill[i]);
        p.drawRoundedRect(box, 2, 2);
        if (i == 2) {
            QPainterPath tick;
            tick.moveTo(box.left() + 2.6, box.top() + 5.8);
            tick.lineTo(box.left() + 4.7, box.top() + 8.0);
            tick.lineTo(box.left() + 8.6, box.top() + 3.2);
            p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPath(tick);
        }
    }
    return pix;
}

// A slider track part: a bar of `thickness` pixels across the middle of the picture.
QPixmap Track(QSize size, qreal thickness, const QColor& top, const QColor& bottom, qreal dpr) {
    QPixmap pix = NewPixmap(size, dpr);
    QPainter p(&pix);
    const qreal y = (size.height() - thickness) / 2.0;
    QLinearGradient fill(0, y, 0, y + thickness);
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    p.fillRect(QRectF(0, y, size.width(), thickness), fill);
    return pix;
}

QPixmap Thumb(QSize size, qreal height, bool pressed, qreal dpr) {
    QPixmap pix = NewPixmap(size, dpr);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(0.5, (size.height() - height) / 2.0 + 0.5, size.width() - 1.0, height - 1.0);
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0, pressed ? kAccent.lighter(115) : QColor(0xf1, 0xf4, 0xf7));
    fill.setColorAt(1, pressed ? kAccent : QColor(0xc4, 0xcc, 0xd4));
    p.setBrush(fill);
    p.setPen(QPen(pressed ? kAccentDeep : QColor(0x6d, 0x76, 0x80), 1.0));
    const qreal radius = std::min(box.width(), box.height()) / 2.0;
    p.drawRoundedRect(box, radius, radius);
    return pix;
}

QPixmap Background(qreal dpr) {
    const QSize size(1200, 750);
    QPixmap pix = NewPixmap(size, dpr);
    QPainter p(&pix);
    QLinearGradient body(0, 0, 0, size.height());
    body.setColorAt(0, QColor(0x1f, 0x24, 0x2a));
    body.setColorAt(1, QColor(0x16, 0x19, 0x1d));
    p.fillRect(QRect(QPoint(0, 0), size), body);
    // The title band behind the window title and the caption buttons.
    QLinearGradient title(0, 0, 0, 22);
    title.setColorAt(0, QColor(0x2c, 0x33, 0x3b));
    title.setColorAt(1, QColor(0x24, 0x29, 0x30));
    p.fillRect(QRect(0, 0, size.width(), 22), title);
    p.fillRect(QRect(0, 22, size.width(), 2), QColor(0x12, 0x15, 0x18));
    // The band of the command buttons along the bottom.
    QLinearGradient bottom(0, 711, 0, size.height());
    bottom.setColorAt(0, QColor(0x25, 0x2a, 0x31));
    bottom.setColorAt(1, QColor(0x1a, 0x1e, 0x23));
    p.fillRect(QRect(0, 711, size.width(), size.height() - 711), bottom);
    p.fillRect(QRect(0, 711, size.width(), 2), QColor(0x30, 0x37, 0x40));
    return pix;
}

void DrawEmblem(QPainter& p, const QRectF& where) {
    QSvgRenderer renderer(QStringLiteral(":/emblem.svg"));
    renderer.render(&p, where);
}

QPixmap AppIcon(qreal dpr) {
    QPixmap pix = NewPixmap(QSize(64, 64), dpr);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1b, 0x21, 0x28));
    p.drawRoundedRect(QRectF(1, 1, 62, 62), 12, 12);
    DrawEmblem(p, QRectF(6, 6, 52, 52));
    return pix;
}

QPixmap Logo(qreal dpr) {
    const QSize size(452, 392);
    QPixmap pix = NewPixmap(size, dpr);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QRadialGradient glow(QPointF(226, 150), 260);
    glow.setColorAt(0, QColor(0x23, 0x2c, 0x36));
    glow.setColorAt(1, QColor(0x13, 0x16, 0x1a));
    p.fillRect(QRect(QPoint(0, 0), size), glow);

    const qreal top = 70;
    DrawEmblem(p, QRectF(226 - 72, top, 144, 144));
    p.setPen(QColor(0xee, 0xf2, 0xf6));
    p.setFont(TextFont(34, true));
    p.drawText(QRectF(0, top + 152, size.width(), 48), Qt::AlignHCenter | Qt::AlignVCenter,
               QStringLiteral("Ravenlog4"));
    QFont tagline = TextFont(12);
    tagline.setLetterSpacing(QFont::AbsoluteSpacing, 3.0);
    p.setFont(tagline);
    p.setPen(QColor(0x8c, 0x9a, 0xa8));
    p.drawText(QRectF(0, top + 198, size.width(), 20), Qt::AlignHCenter | Qt::AlignVCenter,
               QStringLiteral("DRIVE RECORDER VIEWER"));
    return pix;
}

QPixmap QualityBadge(int lines, bool high, qreal dpr) {
    QPixmap pix = NewPixmap(QSize(60, 35), dpr);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF box(0.5, 0.5, 59, 34);
    p.setPen(QPen(high ? kAccent : QColor(0x6d, 0x76, 0x80), 1.0));
    p.setBrush(high ? QColor(0x1d, 0x3b, 0x55) : QColor(0x2a, 0x30, 0x37));
    p.drawRoundedRect(box, 5, 5);
    p.setPen(Qt::white);
    p.setFont(TextFont(13, true));
    p.drawText(QRectF(0, 2, 60, 17), Qt::AlignCenter, QStringLiteral("%1p").arg(lines));
    p.setPen(high ? QColor(0xbf, 0xe1, 0xf7) : QColor(0xb5, 0xbd, 0xc5));
    p.setFont(TextFont(10));
    p.drawText(QRectF(0, 18, 60, 14), Qt::AlignCenter,
               QString::fromUtf8(high ? "高画質" : "低画質"));
    return pix;
}

int BadgeIndex(int id) {
    for (int i = 0; i < 6; ++i) {
        if (kQualityBadges[i] == id)
            return i;
    }
    return -1;
}

} // namespace

QSize SkinArtwork::SizeOf(int id) {
    switch (id) {
    case kAppIcon:
        return {64, 64};
    case kBackground:
        return {1200, 750};
    case kButtonCsv:
    case kButtonDelete:
    case kButtonFaster:
    case kButtonSlower:
    case kButtonPrevious:
    case kButtonNext:
    case kButtonBrowse:
    case kButtonPause:
    case kButtonPlay:
    case kButtonJoin:
    case kButtonSettings:
    case kButtonSnapshot:
    case kButtonStart:
    case kButtonZoom:
        return {128, 32};
    case kCaptionClose:
        return {184, 18};
    case kCaptionMinimise:
    case kCaptionSize:
        return {104, 18};
    case kDialogClose:
        return {52, 12};
    case kCheckBox:
    case kCheckBoxSource:
        return {48, 12};
    case kSeekFilled:
    case kSeekEmpty:
        return {800, 10};
    case kSeekThumb:
    case kSeekThumbPressed:
        return {25, 10};
    case kVolumeFilled:
    case kVolumeEmpty:
        return {100, 20};
    case kVolumeThumb:
    case kVolumeThumbPressed:
        return {10, 20};
    case kLogo:
        return {452, 392};
    default:
        return BadgeIndex(id) >= 0 ? QSize(60, 35) : QSize();
    }
}

QPixmap SkinArtwork::Make(int id, qreal dpr) {
    const QSize command(32, 32);
    const qreal glyph = 18;
    switch (id) {
    case kAppIcon:
        return AppIcon(dpr);
    case kBackground:
        return Background(dpr);
    case kButtonCsv:
        return Strip("csv", command, glyph, kCommandStyle, dpr);
    case kButtonDelete:
        return Strip("delete", command, glyph, kCommandStyle, dpr);
    case kButtonFaster:
        return Strip("fast", command, glyph, kCommandStyle, dpr);
    case kButtonSlower:
        return Strip("slow", command, glyph, kCommandStyle, dpr);
    case kButtonPrevious:
        return Strip("previous", command, glyph, kCommandStyle, dpr);
    case kButtonNext:
        return Strip("next", command, glyph, kCommandStyle, dpr);
    case kButtonBrowse:
        return Strip("browse", command, glyph, kCommandStyle, dpr);
    case kButtonPause:
        return Strip("pause", command, glyph, kCommandStyle, dpr);
    case kButtonPlay:
        return Strip("play", command, glyph, kCommandStyle, dpr);
    case kButtonJoin:
        return Strip("join", command, glyph, kCommandStyle, dpr);
    case kButtonSettings:
        return Strip("settings", command, glyph, kCommandStyle, dpr);
    case kButtonSnapshot:
        return Strip("snapshot", command, glyph, kCommandStyle, dpr);
    case kButtonStart:
        return Strip("start", command, glyph, kCommandStyle, dpr);
    case kButtonZoom:
        return Strip("zoom", command, glyph, kCommandStyle, dpr);
    case kCaptionClose:
        return Strip("close", QSize(46, 18), 11, kCaptionCloseStyle, dpr);
    case kCaptionMinimise:
        return Strip("minimise", QSize(26, 18), 11, kCaptionStyle, dpr);
    case kCaptionSize:
        return Strip("size", QSize(26, 18), 11, kCaptionStyle, dpr);
    case kDialogClose:
        return Strip("close", QSize(13, 12), 9, kDialogCloseStyle, dpr);
    case kCheckBox:
    case kCheckBoxSource:
        return CheckBoxes(dpr);
    case kSeekFilled:
        return Track({800, 10}, 4, kAccent.lighter(110), kAccentDeep, dpr);
    case kSeekEmpty:
        return Track({800, 10}, 4, QColor(0x3b, 0x42, 0x4b), QColor(0x2c, 0x32, 0x39), dpr);
    case kSeekThumb:
        return Thumb({25, 10}, 10, false, dpr);
    case kSeekThumbPressed:
        return Thumb({25, 10}, 10, true, dpr);
    case kVolumeFilled:
        return Track({100, 20}, 4, kAccent.lighter(110), kAccentDeep, dpr);
    case kVolumeEmpty:
        return Track({100, 20}, 4, QColor(0x3b, 0x42, 0x4b), QColor(0x2c, 0x32, 0x39), dpr);
    case kVolumeThumb:
        return Thumb({10, 20}, 16, false, dpr);
    case kVolumeThumbPressed:
        return Thumb({10, 20}, 16, true, dpr);
    case kLogo:
        return Logo(dpr);
    default:
        break;
    }
    const int badge = BadgeIndex(id);
    if (badge < 0)
        return {};
    static constexpr int kLines[3] = {360, 720, 1080};
    return QualityBadge(kLines[badge / 2], badge % 2 == 0, dpr);
}

} // namespace kestrel
