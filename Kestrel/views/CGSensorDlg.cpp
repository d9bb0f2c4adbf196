#include "views/CGSensorDlg.h"

#include <QMouseEvent>
#include <QPainter>

namespace kestrel {

CGSensorDlg::CGSensorDlg(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CGSensorDlg::SetPosition(int frame, int leftMargin) {
    Position = frame;
    LeftMargin = leftMargin;
}

void CGSensorDlg::ClearData() {
    HasData = 0;
    ExtendedKinds = 0;
    Scale = 0;
    Position = 0;
    FrameCount = 0;
}

void CGSensorDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0x1b, 0x1f, 0x24));
    painter.setPen(QColor(0x33, 0x3a, 0x43));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    // The zero line and, with data, the cursor of the shown frame.
    const int mid = height() / 2;
    painter.drawLine(LeftMargin, mid, width() - 10, mid);
    if (HasData && FrameCount > 0) {
        const int span = std::max(1, width() - 10 - LeftMargin);
        const int x =
            LeftMargin + static_cast<int>(static_cast<long long>(Position) * span / FrameCount);
        painter.setPen(QColor(0x4f, 0xc3, 0xf7));
        painter.drawLine(x, 4, x, height() - 5);
    }
}

void CGSensorDlg::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

} // namespace kestrel
