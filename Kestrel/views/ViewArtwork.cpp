#include "views/ViewArtwork.h"

#include "views/ObdItems.h"
#include "views/ObdNeedleAngles.h"
#include "views/ViewPictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace kestrel {
namespace {

using namespace pictures;

const char* const kFace = "Noto Sans CJK JP";

QPixmap Blank(QSize logical, qreal dpr, const QColor& fill = Qt::transparent) {
    QPixmap pix(QSize(static_cast<int>(std::ceil(logical.width() * dpr)),
                      static_cast<int>(std::ceil(logical.height() * dpr))));
    pix.setDevicePixelRatio(dpr);
    pix.fill(fill);
    return pix;
}

QFont Face(int pixels, bool bold = false) {
    QFont font(QString::fromUtf8(kFace));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// The graph's background for scale `mode`: the curve spans ±(0.5 × (mode + 1)) G over the
// 72 pixels above and below the centre line.
QPixmap ScaleBackground(int mode, qreal dpr) {
    const QSize size(800, 150);
    QPixmap pix = Blank(size, dpr, QColor(0x0c, 0x0f, 0x13));
    QPainter p(&pix);
    const int baseline = 75;
    const double amp = 144.0 / (mode + 1);
    const double lineStep = mode == 0 ? 0.25 : 0.5;
    const double range = 0.5 * (mode + 1);
    // Columns of the time grid.
    p.setPen(QColor(0x1c, 0x22, 0x29));
    for (int x = 75; x < size.width(); x += 25)
        p.drawLine(x, 0, x, size.height() - 1);
    p.setFont(Face(10));
    for (double g = lineStep; g <= range + 1e-9; g += lineStep) {
        const int dy = static_cast<int>(std::lround(g * amp));
        const bool major = std::fabs(std::fmod(g, 0.5)) < 1e-9 || mode == 0;
        p.setPen(major ? QColor(0x2b, 0x33, 0x3d) : QColor(0x1f, 0x25, 0x2c));
        for (const int y : {baseline - dy, baseline + dy})
            p.drawLine(50, y, size.width() - 1, y);
        p.setPen(QColor(0x8d, 0x97, 0xa2));
        const QString up = QStringLiteral("+%1").arg(g, 0, 'g', 3);
        const QString down = QStringLiteral("-%1").arg(g, 0, 'g', 3);
        if (major) {
            p.drawText(QRect(0, baseline - dy - 7, 45, 14), Qt::AlignRight | Qt::AlignVCenter, up);
            p.drawText(QRect(0, baseline + dy - 7, 45, 14), Qt::AlignRight | Qt::AlignVCenter,
                       down);
        }
    }
    // The 0 G line, dotted.
    QPen dotted(QColor(0x6a, 0x74, 0x80), 1, Qt::DotLine);
    p.setPen(dotted);
    p.drawLine(50, baseline, size.width() - 1, baseline);
    p.setPen(QColor(0xb8, 0xc1, 0xca));
    p.drawText(QRect(0, baseline - 7, 45, 14), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("0G"));
    // The margin's edge.
    p.setPen(QColor(0x36, 0x3f, 0x4a));
    p.drawLine(49, 0, 49, size.height() - 1);
    return pix;
}

QPolygonF StarPolygon(QPointF centre, qreal outer, qreal inner) {
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const qreal r = i % 2 ? inner : outer;
        const qreal a = std::numbers::pi * i / 5.0;
        star << QPointF(centre.x() + r * std::sin(a), centre.y() - r * std::cos(a));
    }
    return star;
}

QPixmap Star(qreal dpr) {
    QPixmap pix = Blank({11, 11}, dpr, QColor::fromRgb(kStarKey));
    QPainter p(&pix);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(StarPolygon({5.5, 6.0}, 5.5, 2.3));
    return pix;
}

QPixmap StripBackground(qreal dpr) {
    const QSize size(720, 77);
    QPixmap pix = Blank(size, dpr);
    QPainter p(&pix);
    QLinearGradient body(0, 0, 0, size.height());
    body.setColorAt(0, QColor(0x22, 0x27, 0x2e));
    body.setColorAt(1, QColor(0x10, 0x13, 0x17));
    p.fillRect(QRect(QPoint(0, 0), size), body);
    p.fillRect(QRect(0, 0, size.width(), 1), QColor(0x35, 0x3d, 0x47));
    return pix;
}

// A microphone: white while recording sound, pale for the quiet state, grey and crossed out
// without sound.
QPixmap Microphone(int id, qreal dpr) {
    QPixmap pix = Blank({25, 35}, dpr);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = id == kMicRecording ? QColor(Qt::white)
                       : id == kMicQuiet   ? QColor(0x9c, 0xc8, 0xe8)
                                           : QColor(0x7a, 0x80, 0x87);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRoundedRect(QRectF(8.5, 5, 8, 15), 4, 4);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::RoundCap));
    QPainterPath cup;
    cup.moveTo(5.5, 14);
    cup.cubicTo(5.5, 25, 19.5, 25, 19.5, 14);
    p.drawPath(cup);
    p.drawLine(QPointF(12.5, 23), QPointF(12.5, 28));
    p.drawLine(QPointF(8, 29), QPointF(17, 29));
    if (id == kMicOff) {
        p.setPen(QPen(QColor(0xd0, 0x4a, 0x3a), 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 5), QPointF(21, 29));
    }
    return pix;
}

QPixmap Satellite(qreal dpr) {
    QPixmap pix = Blank({42, 35}, dpr);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(21, 17.5);
    p.rotate(-35);
    const QColor panel(0x5f, 0xb4, 0xe8);
    p.setPen(QPen(QColor(0xd6, 0xdc, 0xe3), 1.0));
    p.setBrush(panel);
    p.drawRect(QRectF(-17, -4, 11, 8));
    p.drawRect(QRectF(6, -4, 11, 8));
    p.setBrush(QColor(0xe8, 0xec, 0xf0));
    p.drawRoundedRect(QRectF(-5, -6, 10, 12), 2, 2);
    p.setPen(QPen(QColor(0xe8, 0xec, 0xf0), 1.4));
    p.drawLine(QPointF(0, 6), QPointF(0, 10));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x8f, 0xd0, 0x7a), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(-5, 8, 10, 8), 200 * 16, 140 * 16);
    p.drawArc(QRectF(-8, 8, 16, 12), 205 * 16, 130 * 16);
    return pix;
}

QPixmap VolumeIcon(qreal dpr) {
    QPixmap pix = Blank({30, 21}, dpr);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0xc3, 0xcb, 0xd3);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    QPolygonF speaker;
    speaker << QPointF(4, 7.5) << QPointF(8, 7.5) << QPointF(13, 3) << QPointF(13, 18)
            << QPointF(8, 13.5) << QPointF(4, 13.5);
    p.drawPolygon(speaker);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(11, 6, 8, 9), -50 * 16, 100 * 16);
    p.drawArc(QRectF(10, 2.5, 14, 16), -50 * 16, 100 * 16);
    return pix;
}

// Dashes where digits would stand: `count` bars across the picture in `ink`.
QPixmap Dashes(QSize size, int count, const QColor& ink, qreal dpr) {
    QPixmap pix = Blank(size, dpr, Qt::black);
    QPainter p(&pix);
    const qreal cell = static_cast<qreal>(size.width()) / count;
    const qreal bar = std::max<qreal>(3.0, size.height() / 7.0);
    const qreal y = size.height() / 2.0 - bar / 2.0;
    for (int i = 0; i < count; ++i)
        p.fillRect(QRectF(i * cell + cell * 0.2, y, cell * 0.6, bar), ink);
    return pix;
}

QSize DashSize(int id) {
    switch (id) {
    case 206:
        return {150, 19};
    case 202:
        return {250, 32};
    case 218:
        return {200, 26};
    case 211:
        return {46, 21};
    case 212:
        return {78, 23};
    case 219:
        return {80, 30};
    case 203:
    case 204:
    case 205:
        return {74, 30};
    case 208:
    case 209:
    case 210:
        return {45, 18};
    default:
        return {};
    }
}

QPixmap DashPicture(int id, qreal dpr) {
    const QSize size = DashSize(id);
    const QColor white(0xe6, 0xea, 0xee);
    const QColor x(0, 255, 0), y(255, 0, 0), z(128, 128, 255);
    switch (id) {
    case 206:
    case 202:
    case 218:
        // "0000/00/00 00:00:00": 19 character cells, the separators drawn over them.
        return Dashes(size, 19, white, dpr);
    case 211:
    case 212:
    case 219:
        return Dashes(size, 3, white, dpr);
    case 209:
    case 203:
        return Dashes(size, 5, x, dpr);
    case 210:
    case 204:
        return Dashes(size, 5, y, dpr);
    case 208:
    case 205:
        return Dashes(size, 5, z, dpr);
    default:
        return {};
    }
}

struct DialMarks {
    int TickStep;              // a tick every this many values
    std::vector<int> Labelled; // values with a number
    const char* (*Text)(int);  // nullptr: the value itself
    const char* Unit;
};

const char* ManifoldText(int value) {
    switch (value) {
    case 10:
        return "-0.8";
    case 50:
        return "-0.4";
    case 90:
        return "0";
    case 140:
        return "0.5";
    case 190:
        return "1.0";
    default:
        return "";
    }
}

const char* EngineText(int value) {
    static const char* const kText[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
    return value % 10 == 0 && value >= 0 && value <= 100 ? kText[value / 10] : "";
}

DialMarks MarksOf(int item) {
    switch (item) {
    case ObdThrottle:
        return {5, {0, 20, 40, 60, 80, 100}, nullptr, "%"};
    case ObdEngineSpeed:
        return {5, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}, EngineText, "x1000rpm"};
    case ObdManifoldPressure:
        return {10, {10, 50, 90, 140, 190}, ManifoldText, "x100kPa"};
    case ObdCoolant:
        return {5, {0, 50, 100}, nullptr, "\u00B0C"};
    default:
        return {10, {0, 60, 120, 180, 240, 300}, nullptr, "km/h"};
    }
}

QPointF OnDial(double degrees, double radius) {
    const double a = degrees * std::numbers::pi / 180.0;
    return {105.0 + radius * std::sin(a), 108.0 - radius * std::cos(a)};
}

// A dial on white (left out when drawn): the face around the needle's pivot (105, 108), a
// tick at every mark the needle's angle table stands on, numbers and the unit.
QPixmap Dial(int item, qreal dpr) {
    QPixmap pix = Blank({210, 151}, dpr, Qt::white);
    QPainter p(&pix);
    // The face's edge is drawn hard, so that no pale seam is left where white is cut out.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2a, 0x31, 0x3a));
    p.drawEllipse(QPoint(105, 108), 101, 101);
    QRadialGradient face(QPointF(105, 100), 100);
    face.setColorAt(0, QColor(0x1e, 0x24, 0x2b));
    face.setColorAt(1, QColor(0x0d, 0x10, 0x14));
    p.setBrush(face);
    p.drawEllipse(QPoint(105, 108), 98, 98);
    p.setRenderHint(QPainter::Antialiasing);
    const DialMarks marks = MarksOf(item);
    const int maximum = InfoOf(item).Maximum;
    // The red zone of the engine speed from 8000 rpm.
    if (item == ObdEngineSpeed) {
        p.setPen(QPen(QColor(0xc8, 0x32, 0x28), 4.0, Qt::SolidLine, Qt::FlatCap));
        const double from = ObdNeedleAngles::Unwrapped(item, 80);
        const double to = ObdNeedleAngles::Unwrapped(item, 100);
        p.drawArc(QRectF(105 - 93, 108 - 93, 186, 186), static_cast<int>((90 - from) * 16),
                  static_cast<int>(-(to - from) * 16));
    }
    p.setFont(Face(11, true));
    for (int v = 0; v <= maximum; v += marks.TickStep) {
        const double angle = ObdNeedleAngles::Angle(item, v);
        const bool labelled =
            std::find(marks.Labelled.begin(), marks.Labelled.end(), v) != marks.Labelled.end();
        p.setPen(QPen(labelled ? QColor(0xf2, 0xf4, 0xf6) : QColor(0x9a, 0xa4, 0xae),
                      labelled ? 2.0 : 1.0));
        p.drawLine(OnDial(angle, labelled ? 82 : 87), OnDial(angle, 95));
        if (labelled) {
            const QString text = marks.Text ? QString::fromUtf8(marks.Text(v)) : QString::number(v);
            const QPointF at = OnDial(angle, 69);
            p.drawText(QRectF(at.x() - 18, at.y() - 8, 36, 16), Qt::AlignCenter, text);
        }
    }
    p.setPen(QColor(0x9a, 0xa4, 0xae));
    p.setFont(Face(10));
    p.drawText(QRectF(55, 122, 100, 14), Qt::AlignCenter, QString::fromUtf8(marks.Unit));
    return pix;
}

QPolygonF NeedleShape() {
    QPolygonF shape;
    shape << QPointF(11, 0) << QPointF(13.5, 80) << QPointF(14, 100) << QPointF(8, 100)
          << QPointF(8.5, 80);
    return shape;
}

// The needle, pointing up, with its pivot at (11, 88) of the picture; outside the needle the
// picture is black and its mask says where the needle is.
QPixmap Needle(bool mask, qreal dpr) {
    QPixmap pix = Blank({22, 106}, dpr, mask ? Qt::transparent : Qt::black);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(mask ? QColor(Qt::white) : QColor(0xff, 0x5a, 0x1e));
    p.drawPolygon(NeedleShape());
    p.setBrush(mask ? QColor(Qt::white) : QColor(0x3a, 0x41, 0x4a));
    p.drawEllipse(QPointF(11, 88), 8, 8);
    if (!mask) {
        p.setBrush(QColor(0xd6, 0xdc, 0xe3));
        p.drawEllipse(QPointF(11, 88), 3, 3);
    }
    return pix;
}

constexpr int kNumbers[] = {kScale05,
                            kScale10,
                            kScale15,
                            kScale20,
                            kStar,
                            kStripBackground,
                            kMicRecording,
                            kMicQuiet,
                            kMicOff,
                            kSatellite,
                            kVolumeIcon,
                            206,
                            202,
                            218,
                            211,
                            212,
                            219,
                            209,
                            210,
                            208,
                            203,
                            204,
                            205,
                            kDialThrottle,
                            kDialEngineSpeed,
                            kDialManifold,
                            kDialCoolant,
                            kDialSpeed,
                            kNeedle,
                            kNeedleMask};

int DialItem(int id) {
    for (int item = 0; item < kObdItemCount; ++item) {
        if (InfoOf(item).Dial == id)
            return item;
    }
    return -1;
}

} // namespace

const int* ViewArtwork::Numbers(int& count) {
    count = static_cast<int>(std::size(kNumbers));
    return kNumbers;
}

QSize ViewArtwork::SizeOf(int id) {
    switch (id) {
    case kScale05:
    case kScale10:
    case kScale15:
    case kScale20:
        return {800, 150};
    case kStar:
        return {11, 11};
    case kStripBackground:
        return {720, 77};
    case kMicRecording:
    case kMicQuiet:
    case kMicOff:
        return {25, 35};
    case kSatellite:
        return {42, 35};
    case kVolumeIcon:
        return {30, 21};
    case kNeedle:
    case kNeedleMask:
        return {22, 106};
    default:
        if (DialItem(id) >= 0)
            return {210, 151};
        return DashSize(id);
    }
}

QPixmap ViewArtwork::Make(int id, qreal dpr) {
    switch (id) {
    case kScale05:
        return ScaleBackground(0, dpr);
    case kScale10:
        return ScaleBackground(1, dpr);
    case kScale15:
        return ScaleBackground(2, dpr);
    case kScale20:
        return ScaleBackground(3, dpr);
    case kStar:
        return Star(dpr);
    case kStripBackground:
        return StripBackground(dpr);
    case kMicRecording:
    case kMicQuiet:
    case kMicOff:
        return Microphone(id, dpr);
    case kSatellite:
        return Satellite(dpr);
    case kVolumeIcon:
        return VolumeIcon(dpr);
    case kNeedle:
        return Needle(false, dpr);
    case kNeedleMask:
        return Needle(true, dpr);
    default:
        break;
    }
    if (const int item = DialItem(id); item >= 0)
        return Dial(item, dpr);
    return DashPicture(id, dpr);
}

} // namespace kestrel
