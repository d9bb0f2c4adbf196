#include "skin/CSkinProgressBarCtrl.h"

#include "shell/SharedFonts.h"

#include <QPainter>

namespace kestrel {
namespace {
const QColor kBlue(0, 0, 255);
}

CSkinProgressBarCtrl::CSkinProgressBarCtrl(int id, QWidget* parent) : QWidget(parent), id_(id) {
    setWindowTitle(QStringLiteral("progress bar"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CSkinProgressBarCtrl::SetRange(int lower, int upper) {
    lower_ = lower;
    upper_ = upper;
    update();
}

void CSkinProgressBarCtrl::SetPos(int position) {
    position_ = position;
    update();
}

void CSkinProgressBarCtrl::PlaceOver(QWidget* owner, QWidget* window) {
    if (!owner || !window)
        return;
    const QPoint topLeft = window->mapTo(owner, QPoint(0, 0));
    setGeometry(topLeft.x(), topLeft.y() + window->height() - kHeight, window->width(), kHeight);
}

int CSkinProgressBarCtrl::FilledWidth(int width) const {
    const int span = upper_ - lower_;
    const double fraction = span < 1 ? 0.0 : static_cast<double>(position_) / span;
    return static_cast<int>(width * fraction);
}

QString CSkinProgressBarCtrl::Text() const {
    return QString::asprintf("%d %%", position_);
}

void CSkinProgressBarCtrl::paintEvent(QPaintEvent*) {
    const int w = width();
    if (w == 0)
        return;
    const int filled = FilledWidth(w);
    QPainter painter(this);
    const QRect blue(0, 0, filled, kHeight);
    const QRect white(filled, 0, w - filled, kHeight);
    painter.fillRect(blue, kBlue);
    painter.fillRect(white, Qt::white);
    painter.setFont(SharedFonts::Font10());
    const QRect textBox(w / 2 - 50, 0, 100, kHeight);
    const int flags = Qt::AlignCenter | Qt::TextSingleLine;
    painter.setClipRect(blue);
    painter.setPen(Qt::white);
    painter.drawText(textBox, flags, Text());
    painter.setClipRect(white);
    painter.setPen(kBlue);
    painter.drawText(textBox, flags, Text());
}

} // namespace kestrel
