#include "video/CMovieStatic.h"

#include "shell/AppEvent.h"
#include "video/VideoSurfaceHandler.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <QTimerEvent>
#include <QWheelEvent>

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

void CMovieStatic::ShownSize(const Rect& destination, int& width, int& height) const {
    pictures_.ShownSize(destination, QSize(width_.load(), height_.load()), width, height);
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
    // Without a movie the last picture of a closed one must not stay on the screen.
    if (handler_ && handler_->MovieShown())
        pictures_.Paint(painter, rect());
    else
        painter.fillRect(rect(), Qt::black);
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

QCursor CMovieStatic::ZoomCursor() {
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    QSvgRenderer(QStringLiteral(":/zoom-cursor.svg")).render(&painter, QRectF(0, 0, 32, 32));
    painter.end();
    return QCursor(picture, 12, 12);
}

void CMovieStatic::SetZoomMode(bool on) {
    zoomMode_ = on;
    if (on)
        setCursor(ZoomCursor());
    else
        unsetCursor();
}

QBasicTimer* CMovieStatic::TimerOf(int id) {
    switch (id) {
    case TimerClick:
        return &clickTimer_;
    case TimerRelease:
        return &releaseTimer_;
    case TimerDoubleClick:
        return &doubleClickTimer_;
    default:
        return nullptr;
    }
}

bool CMovieStatic::TimerActive(int id) const {
    return const_cast<CMovieStatic*>(this)->TimerOf(id)->isActive();
}

// Clicks on the picture belong to the picture, not to the window behind it.
void CMovieStatic::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    buttonUpSeen_ = false;
    setFocus(Qt::MouseFocusReason);
    if (doubleClickSeen_)
        return;
    downPoint_ = event->position().toPoint();
    clickHandled_ = false;
    clickTimer_.start(QApplication::doubleClickInterval(), Qt::PreciseTimer, this);
}

void CMovieStatic::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    buttonUpSeen_ = true;
    if (doubleClickSeen_) {
        doubleClickSeen_ = false;
        return;
    }
    upPoint_ = event->position().toPoint();
    releaseTimer_.start(QApplication::doubleClickInterval(), Qt::PreciseTimer, this);
}

void CMovieStatic::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    // The first click of the pair is not a zoom step.
    clickTimer_.stop();
    releaseTimer_.stop();
    clickHandled_ = false;
    doubleClickSeen_ = true;
    if (!zoomMode_ && handler_)
        handler_->VideoDoubleClicked();
    doubleClickTimer_.start(kDoubleClickCheckMs, Qt::PreciseTimer, this);
}

void CMovieStatic::wheelEvent(QWheelEvent* event) {
    event->accept();
}

void CMovieStatic::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    if (handler_)
        handler_->VideoMenuRequested(event->globalPos());
}

void CMovieStatic::timerEvent(QTimerEvent* event) {
    const int id = event->timerId();
    if (id == clickTimer_.timerId()) {
        // The double-click time has passed without a second click: a single click.
        clickTimer_.stop();
        if (!clickHandled_) {
            clickHandled_ = true;
            if (handler_)
                handler_->ZoomStep(downPoint_);
        }
    } else if (id == releaseTimer_.timerId()) {
        releaseTimer_.stop();
        clickHandled_ = false;
    } else if (id == doubleClickTimer_.timerId()) {
        // A double click whose button is still held: the next press starts a new click.
        if (!buttonUpSeen_) {
            doubleClickSeen_ = false;
            doubleClickTimer_.stop();
        }
    } else {
        QWidget::timerEvent(event);
    }
}

} // namespace kestrel
