#include "skin/CSkinCheckButton.h"

#include <QMouseEvent>
#include <QPainter>

namespace kestrel {

CSkinCheckButton::CSkinCheckButton(int id, const QString& text, QWidget* parent)
    : CSkinButton(id, QSize(kBox, kBox), parent) {
    setCheckable(true);
    setText(text);
    setMouseTracking(true);
}

QSize CSkinCheckButton::sizeHint() const {
    return QSize(16 + fontMetrics().horizontalAdvance(text()),
                 std::max(20, fontMetrics().height()));
}

void CSkinCheckButton::paintEvent(QPaintEvent*) {
    if (Frozen)
        return;
    QPainter painter(this);
    Cell cell = StateCell();
    if (cell == Normal && boxHovered_ && !PressedLook)
        cell = Hover;
    DrawCell(painter, cell, BoxRect().topLeft());
    painter.setFont(font());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(rect().adjusted(16, 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text().left(259));
}

void CSkinCheckButton::enterEvent(QEnterEvent* event) {
    boxHovered_ = BoxRect().contains(event->position().toPoint());
    CSkinButton::enterEvent(event);
}

void CSkinCheckButton::leaveEvent(QEvent* event) {
    boxHovered_ = false;
    CSkinButton::leaveEvent(event);
}

void CSkinCheckButton::mouseMoveEvent(QMouseEvent* event) {
    const bool inside = BoxRect().contains(event->position().toPoint());
    if (inside != boxHovered_ || inside) {
        boxHovered_ = inside;
        update();
    }
    CSkinButton::mouseMoveEvent(event);
}

} // namespace kestrel
