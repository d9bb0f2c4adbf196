#include "skin/CSkinButton.h"

#include "skin/CResourceImage.h"

#include <QKeyEvent>
#include <QPainter>

namespace kestrel {

CSkinButton::CSkinButton(int id, QSize cell, QWidget* parent)
    : QAbstractButton(parent), id_(id), cellSize_(cell) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover, false);
    resize(cell);
}

bool CSkinButton::SetImage(int bitmapId) {
    const QPixmap strip = CResourceImage::LoadSkinBitmap(bitmapId, CResourceImage::RatioFor(this));
    if (strip.isNull())
        return false;
    Frozen = 1;
    cells_.clear();
    const qreal dpr = strip.devicePixelRatio();
    const int cellW = static_cast<int>(cellSize_.width() * dpr);
    const int cellH = static_cast<int>(cellSize_.height() * dpr);
    for (int x = 0; cellW > 0 && x + cellW <= strip.width(); x += cellW) {
        QPixmap cell = strip.copy(x, 0, cellW, cellH);
        cell.setDevicePixelRatio(dpr);
        cells_.push_back(std::move(cell));
    }
    imageId_ = bitmapId;
    Frozen = 0;
    update();
    return true;
}

CSkinButton::Cell CSkinButton::StateCell() const {
    if (!isEnabled())
        return Disabled;
    if (isDown() || isChecked() || PressedLook)
        return Pressed;
    return Normal;
}

CSkinButton::Cell CSkinButton::CurrentCell() const {
    const Cell cell = StateCell();
    if (cell == Normal && hovered_ && !PressedLook)
        return Hover;
    return cell;
}

void CSkinButton::DrawCell(QPainter& painter, Cell cell, QPoint at) const {
    if (static_cast<size_t>(cell) < cells_.size())
        painter.drawPixmap(at, cells_[cell]);
}

void CSkinButton::paintEvent(QPaintEvent*) {
    if (Frozen)
        return;
    QPainter painter(this);
    DrawCell(painter, CurrentCell(), QPoint(0, 0));
}

void CSkinButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    if (!Frozen && !PressedLook)
        update();
    QAbstractButton::enterEvent(event);
}

void CSkinButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    repaint();
    QAbstractButton::leaveEvent(event);
}

void CSkinButton::keyPressEvent(QKeyEvent* event) {
    event->accept();
}
void CSkinButton::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
}

} // namespace kestrel
