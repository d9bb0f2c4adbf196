#include "views/CInfoDlg.h"

#include "shell/SharedFonts.h"

#include <QMouseEvent>
#include <QPainter>

namespace kestrel {

CInfoDlg::CInfoDlg(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CInfoDlg::SetAccel(double x, double y, double z) {
    Accel[0] = x;
    Accel[1] = y;
    Accel[2] = z;
}

void CInfoDlg::ResetReadouts() {
    SetAccel(-5.0, -5.0, -5.0);
    GpsValid = 0;
    SpeedKmh = -1.0;
    Slot = 0;
}

void CInfoDlg::ClearData() {
    ResetReadouts();
    QualityIndex = 0;
    StartTime = DateTime{};
    DataValid = 0;
    TimeLapse = 0;
    VehicleData = 0;
    FrameMs = 0.0;
    AudioState = 0;
}

void CInfoDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0x1b, 0x1f, 0x24));
    painter.setPen(QColor(0x33, 0x3a, 0x43));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setFont(SharedFonts::Font10());
    painter.setPen(QColor(0xd8, 0xdd, 0xe3));
    QStringList lines;
    // A recording without recorder data has no start time to show (not year 0).
    if (DataValid && !StartTime.IsZero()) {
        // The time of the shown frame: the recording's start plus the frames shown so far.
        const qint64 ms = static_cast<qint64>(Slot * FrameMs);
        lines << QStringLiteral("%1/%2/%3 %4:%5:%6  +%7.%8 s")
                     .arg(StartTime.Year)
                     .arg(StartTime.Month, 2, 10, QLatin1Char('0'))
                     .arg(StartTime.Day, 2, 10, QLatin1Char('0'))
                     .arg(StartTime.Hour, 2, 10, QLatin1Char('0'))
                     .arg(StartTime.Minute, 2, 10, QLatin1Char('0'))
                     .arg(StartTime.Second, 2, 10, QLatin1Char('0'))
                     .arg(ms / 1000)
                     .arg((ms % 1000) / 100);
    }
    const QString speed = SpeedKmh < 0.0 ? QStringLiteral("--- km/h")
                                         : QStringLiteral("%1 km/h").arg(SpeedKmh, 0, 'f', 1);
    const auto g = [](double v) {
        return v <= -5.0 ? QStringLiteral("--") : QString::number(v, 'f', 2);
    };
    lines << QStringLiteral("%1   X %2  Y %3  Z %4 G")
                 .arg(speed, g(Accel[0]), g(Accel[1]), g(Accel[2]));
    lines << QStringLiteral("Frame %1").arg(Slot) +
                 (SpeedLabel.isEmpty() ? QString() : QStringLiteral("   ") + SpeedLabel);
    painter.drawText(rect().adjusted(10, 6, -10, -6), Qt::AlignLeft | Qt::AlignTop,
                     lines.join(QLatin1Char('\n')));
}

void CInfoDlg::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

} // namespace kestrel
