#include "window/CEmptyPanel.h"

#include <QMouseEvent>
#include <QPainter>

namespace kestrel {

CEmptyPanel::CEmptyPanel(const QColor& background, const QColor& frame, QWidget* parent)
    : QWidget(parent), background_(background), frame_(frame) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CEmptyPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), background_);
    painter.setPen(frame_);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CEmptyPanel::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

} // namespace kestrel
