#include "video/CMovieStatic.h"

#include "shell/AppEvent.h"

#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>

namespace kestrel {

CMovieStatic::CMovieStatic(QWidget* owner, QWidget* parent)
    : QWidget(parent), owner_(owner), verticalDpi_(logicalDpiY()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CMovieStatic::PostAppMessage(int message, intptr_t wParam, intptr_t lParam) {
    PostAppEvent(this, message, wParam, lParam);
}

void CMovieStatic::ClientSize(int& width, int& height) const {
    width = width_.load();
    height = height_.load();
}

void CMovieStatic::PresentPicture(const VideoPicture& picture, const Rect& destination) {
    pictures_.Store(picture, destination);
    RequestRepaint();
}

void CMovieStatic::FillBlack(const Rect& area) {
    pictures_.FillBlack(area);
    RequestRepaint();
}

void CMovieStatic::ClearPicture() {
    pictures_.Clear();
    update();
}

void CMovieStatic::RequestRepaint() {
    // Widgets are touched only on their own thread; a call queued for a surface that is gone
    // by then is dropped with it.
    QMetaObject::invokeMethod(
        this, [this] { update(); }, Qt::QueuedConnection);
}

void CMovieStatic::SetClientEdge(bool on) {
    if (clientEdge_ == on)
        return;
    clientEdge_ = on;
    update();
}

bool CMovieStatic::event(QEvent* event) {
    switch (AppEvent::MessageOf(event)) {
    case WM_APP_GRAPH_NOTIFY:
    case WM_APP_MEDIA_ENDED:
    case WM_APP_MEDIA_READY: {
        const auto* app = static_cast<AppEvent*>(event);
        PostAppEvent(owner_, app->Message(), app->WParam(), app->LParam());
        return true;
    }
    case WM_APP_MEDIA_PAUSED:
        return true;
    default:
        return QWidget::event(event);
    }
}

void CMovieStatic::resizeEvent(QResizeEvent* event) {
    width_ = width();
    height_ = height();
    pictures_.SetPixelRatio(devicePixelRatioF());
    QWidget::resizeEvent(event);
}

void CMovieStatic::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    pictures_.Paint(painter, rect());
    if (!clientEdge_)
        return;
    // A sunken edge two pixels wide: dark above and to the left, light below and to the right.
    const QRect r = rect().adjusted(0, 0, -1, -1);
    painter.setPen(QColor(0x0b, 0x0d, 0x10));
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(QColor(0x3a, 0x42, 0x4c));
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
    painter.setPen(QColor(0x05, 0x06, 0x08));
    painter.drawLine(r.topLeft() + QPoint(1, 1), r.topRight() + QPoint(-1, 1));
    painter.drawLine(r.topLeft() + QPoint(1, 1), r.bottomLeft() + QPoint(1, -1));
}

// Clicks on the picture belong to the picture, not to the window behind it.
void CMovieStatic::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

} // namespace kestrel
