#include "views/InfoPainter.h"

#include "shell/SharedFonts.h"
#include "skin/CResourceImage.h"
#include "skin/SkinPictures.h"
#include "views/ViewPictures.h"

#include <QBitmap>
#include <QDateTime>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kestrel {
namespace {

const char* const kDateTemplate = "0000/00/00 00:00:00";
const char* const kAccelTemplate = "-0.00G";
const QColor kAxisColours[3] = {QColor(0, 255, 0), QColor(255, 0, 0), QColor(128, 128, 255)};
const char* const kAxisLabels[3] = {"前後(X軸)", "左右(Y軸)", "上下(Z軸)"};

struct LayoutGeometry {
    const QFont& (*TextFont)();
    QRect Date;
    QRect SpeedLabel;
    QRect Speed;
    int NumberInset;
    int UnitDrop;
    const QFont& (*UnitFont)();
    QPoint SpeedDashesAt; // the large layout gives the right edge instead
};

LayoutGeometry GeometryOf(int layout, const QRect& client) {
    const int l = client.left();
    const int r = client.left() + client.width();
    switch (layout) {
    case InfoPainter::Medium:
        return {SharedFonts::Font22,
                QRect(QPoint(538, 7), QPoint(868, 42)),
                QRect(QPoint(330, 7), QPoint(610, 67)),
                QRect(QPoint(700, 90), QPoint(848, 122)),
                60,
                8,
                SharedFonts::Font17,
                QPoint(710, 99)};
    case InfoPainter::Large: {
        const QRect strip = InfoPainter::LargeStrip(client);
        const int s = strip.left(), t = strip.top(), b = strip.top() + strip.height();
        return {SharedFonts::Font17,
                QRect(QPoint(s + 170, t), QPoint(s + 420, b)),
                QRect(QPoint(s, t), QPoint(s + 150, b)),
                QRect(QPoint(s + 350, t), QPoint(s + 570, b)),
                60,
                0,
                SharedFonts::Font17,
                QPoint(s + 502, t)};
    }
    default:
        return {SharedFonts::Font13,
                QRect(QPoint(r - 202, 7), QPoint(r - 2, 26)),
                QRect(QPoint(l + 274, 7), QPoint(l + 434, 34)),
                QRect(QPoint(537, 60), QPoint(637, 81)),
                35,
                4,
                SharedFonts::Font10,
                QPoint(556, 60)};
    }
}

// Draws a picture with black left out, as the placeholders and icons are drawn.
void DrawKeyed(QPainter& p, const QRect& target, const QPixmap* picture) {
    if (!picture)
        return;
    QPixmap keyed = *picture;
    keyed.setMask(
        QBitmap::fromImage(picture->toImage().createMaskFromColor(qRgb(0, 0, 0), Qt::MaskInColor)));
    p.drawPixmap(target, keyed);
}

int LogicalWidth(const QPixmap& pix) {
    return static_cast<int>(pix.width() / pix.devicePixelRatio());
}
int LogicalHeight(const QPixmap& pix) {
    return static_cast<int>(pix.height() / pix.devicePixelRatio());
}

// Draws the characters of `text` that are neither '-' nor '0', each where it stands when the
// whole text starts at `left`.
void DrawTemplateSeparators(QPainter& p, const QString& text, int left, int top, int height) {
    const QFontMetrics metrics(p.font());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('-') || c == QLatin1Char('0'))
            continue;
        const int x = left + metrics.horizontalAdvance(text.left(i));
        p.drawText(QRect(x, top, metrics.horizontalAdvance(c), height),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, QString(c));
    }
}

void DrawDateTime(QPainter& p, int layout, const LayoutGeometry& g, const Readouts& r,
                  const CResourceImage& bank) {
    const QString text = InfoPainter::DateTimeText(r);
    if (!text.isEmpty()) {
        p.setPen(Qt::white);
        p.drawText(g.Date, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
        return;
    }
    const QString tmpl = QString::fromLatin1(kDateTemplate);
    const QFontMetrics metrics(p.font());
    if (const QPixmap* dashes = bank.Picture(pictures::kDateDashes[layout]))
        DrawKeyed(
            p,
            QRect(g.Date.topLeft(), QSize(metrics.horizontalAdvance(tmpl), LogicalHeight(*dashes))),
            dashes);
    p.setPen(Qt::white);
    DrawTemplateSeparators(p, tmpl, g.Date.left() - (layout == InfoPainter::Small ? 0 : 1),
                           g.Date.top(), g.Date.height());
}

void DrawSpeed(QPainter& p, int layout, const LayoutGeometry& g, const Readouts& r,
               const CResourceImage& bank) {
    const QString number = InfoPainter::SpeedText(r);
    p.setPen(Qt::white);
    if (!number.isEmpty()) {
        p.drawText(g.Speed.adjusted(0, 0, -g.NumberInset, 0),
                   Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine, number);
    } else if (const QPixmap* dashes = bank.Picture(pictures::kSpeedDashes[layout])) {
        QPoint at = g.SpeedDashesAt;
        if (layout == InfoPainter::Large)
            at.rx() -= LogicalWidth(*dashes);
        DrawKeyed(p, QRect(at, QSize(LogicalWidth(*dashes), LogicalHeight(*dashes))), dashes);
    }
    const QFont previous = p.font();
    p.setFont(g.UnitFont());
    p.drawText(g.Speed.translated(0, g.UnitDrop),
               Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine, QStringLiteral("km/h"));
    p.setFont(previous);
}

void DrawAccel(QPainter& p, int layout, const Readouts& r, const CResourceImage& bank) {
    struct Params {
        int X0, Y0, Top, Step, ValueLeft, ValueWidth, ValueHeight, LabelLeft;
    };
    const Params k = layout == InfoPainter::Small ? Params{26, 35, 22, 120, 22, 58, 20, 22}
                                                  : Params{20, 50, 40, 170, -1, 98, 32, 0};
    const QFontMetrics metrics(p.font());
    for (int i = 0; i < 3; ++i) {
        p.setPen(kAxisColours[i]);
        const int labelLeft = k.X0 + i * k.Step + k.LabelLeft;
        p.drawText(QRect(QPoint(labelLeft, k.Y0), QPoint(labelLeft + 150, k.Y0 + 40)),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   QString::fromUtf8(kAxisLabels[i]));
        const int left = k.X0 + i * k.Step + k.ValueLeft;
        const QRect value(QPoint(left, k.Y0 + k.Top),
                          QPoint(left + k.ValueWidth, k.Y0 + k.Top + k.ValueHeight));
        const QString text = InfoPainter::AccelText(r.Accel[i]);
        if (!text.isEmpty()) {
            p.drawText(value, Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine, text);
            continue;
        }
        const int id =
            layout == InfoPainter::Small ? pictures::kGDashesSmall[i] : pictures::kGDashesMedium[i];
        if (const QPixmap* dashes = bank.Picture(id))
            DrawKeyed(p,
                      QRect(value.topLeft(), QSize(LogicalWidth(*dashes), LogicalHeight(*dashes))),
                      dashes);
        const QString tmpl = QString::fromLatin1(kAccelTemplate);
        DrawTemplateSeparators(p, tmpl, value.right() - metrics.horizontalAdvance(tmpl),
                               value.top(), value.height());
    }
}

void DrawIcons(QPainter& p, int layout, const Readouts& r, const CResourceImage& bank) {
    const QPoint origin = layout == InfoPainter::Small ? QPoint(380, 45) : QPoint(510, 76);
    const double s = layout == InfoPainter::Small ? 1.0 : 1.3;
    const auto scaled = [s](int v) { return static_cast<int>(v * s); };
    if (r.QualityIndex >= 1 && r.QualityIndex <= 6) {
        if (const QPixmap* badge = bank.Picture(pictures::kQualityBadges[r.QualityIndex - 1]))
            p.drawPixmap(QRect(origin, QSize(scaled(60), scaled(35))), *badge);
    }
    const int mic = r.AudioState == 'R'   ? pictures::kMicRecording
                    : r.AudioState == 'r' ? pictures::kMicQuiet
                    : r.AudioState == 'M' ? pictures::kMicOff
                                          : 0;
    const int micOffset = layout == InfoPainter::Small ? 65 : 82;
    if (const QPixmap* icon = mic ? bank.Picture(mic) : nullptr)
        p.drawPixmap(QRect(origin + QPoint(micOffset + (60 - 25) / 2, 0),
                           QSize(scaled(LogicalWidth(*icon)), scaled(LogicalHeight(*icon)))),
                     *icon);
    const int satOffset = layout == InfoPainter::Small ? 110 : 136;
    if (r.GpsValid) {
        if (const QPixmap* icon = bank.Picture(pictures::kSatellite))
            p.drawPixmap(QRect(origin + QPoint(satOffset + (60 - 42) / 2, 0),
                               QSize(scaled(LogicalWidth(*icon)), scaled(LogicalHeight(*icon)))),
                         *icon);
    }
}

} // namespace

QString InfoPainter::DateTimeText(const Readouts& r) {
    if (!r.DataValid || r.Slot < 0)
        return {};
    const DateTime& t = r.StartTime;
    const QDate date(t.Year, t.Month, t.Day);
    const QTime time(t.Hour, t.Minute, t.Second, t.Millisecond);
    if (!date.isValid() || !time.isValid())
        return {};
    // The recorder counts the frames from its start time; a time-lapse frame stands for 15.
    const float elapsed = static_cast<float>(r.Slot) * static_cast<float>(r.FrameMs) * 10000.0f *
                          (r.TimeLapse ? 15.0f : 1.0f);
    const auto ticks = static_cast<unsigned long long>(elapsed);
    const QDateTime shown =
        QDateTime(date, time, Qt::UTC).addMSecs(static_cast<qint64>(ticks / 10000));
    int year = shown.date().year();
    if (year <= 0)
        return {};
    // The recorder's clock runs 35 years ahead once it has wrapped past 2049.
    if (year >= 2050)
        year -= 35;
    return QString::asprintf("%02d/%02d/%02d %02d:%02d:%02d", year, shown.date().month(),
                             shown.date().day(), shown.time().hour(), shown.time().minute(),
                             shown.time().second());
}

QString InfoPainter::SpeedText(const Readouts& r) {
    if (!r.GpsValid || !(r.SpeedKmh >= 0.0))
        return {};
    return QString::asprintf("%.0f ", std::min(r.SpeedKmh, 999.0));
}

QString InfoPainter::AccelText(double g) {
    if (!(g > -5.0))
        return {};
    return QString::asprintf("%.2fG", std::trunc(g * 100.0) / 100.0);
}

QRect InfoPainter::LargeStrip(const QRect& mainClient) {
    const int s = mainClient.left() + 370;
    const int t = mainClient.top() + mainClient.height() - 34;
    return QRect(QPoint(s, t), QPoint(mainClient.left() + mainClient.width() - 160, t + 30));
}

void InfoPainter::DrawReadouts(QPainter& painter, int layout, const QRect& client,
                               const Readouts& r, const CResourceImage& bank) {
    const int l = std::clamp(layout, 0, 2);
    const LayoutGeometry g = GeometryOf(l, client);
    painter.save();
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(Qt::white);
    painter.setFont(g.TextFont());
    DrawDateTime(painter, l, g, r, bank);
    painter.setPen(Qt::white);
    painter.drawText(g.SpeedLabel, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, r.SpeedLabel);
    DrawSpeed(painter, l, g, r, bank);
    if (l != Large) {
        DrawAccel(painter, l, r, bank);
        DrawIcons(painter, l, r, bank);
    }
    painter.restore();
}

} // namespace kestrel
