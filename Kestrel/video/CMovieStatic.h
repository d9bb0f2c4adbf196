#pragma once
// The video surface: the child window the engine renders into and posts its messages to. The
// engine's and the player's messages that concern the main window are passed on to it. The
// player hands it finished pictures on its own thread; the surface keeps the newest one and
// paints it at its destination, black around it.
//
// A single click is told from a double click by waiting the system's double-click time: a
// click that stays single steps the zoom (the main window ignores it outside zoom mode), a
// double click runs the full-screen rule instead. The right button asks for the context menu.
#include "platform/VideoWindow.h"
#include "video/VideoPictureStore.h"

#include <QBasicTimer>
#include <QPoint>
#include <QWidget>

#include <atomic>

namespace kestrel {

class VideoSurfaceHandler;

class CMovieStatic : public QWidget, public VideoWindow {
    Q_OBJECT
  public:
    static constexpr int kId = 1000;
    enum Timer : int { TimerClick = 200, TimerRelease = 201, TimerDoubleClick = 202 };
    static constexpr int kDoubleClickCheckMs = 500;

    // `owner` receives the forwarded messages.
    CMovieStatic(QWidget* owner, QWidget* parent);

    // VideoWindow: posts to this window; any thread.
    void PostAppMessage(int message, intptr_t wParam, intptr_t lParam) override;
    int VerticalDpi() const override { return verticalDpi_; }
    // The size as of the last resize; any thread.
    void ClientSize(int& width, int& height) const override;
    // The size the picture is made at for `destination` on this surface; any thread.
    void ShownSize(const Rect& destination, int& width, int& height) const override;
    // Keeps the picture and asks for a repaint on the window's own thread; any thread.
    void PresentPicture(const VideoPicture& picture, const Rect& destination) override;
    void FillBlack(const Rect& area) override;

    // The sunken edge the surface has outside full screen.
    void SetClientEdge(bool on);
    bool ClientEdge() const { return clientEdge_; }
    // Shows black until the next picture.
    void ClearPicture();
    const VideoPictureStore& Pictures() const { return pictures_; }

    // Who the clicks go to; none: clicks do nothing and the surface shows black.
    void SetHandler(VideoSurfaceHandler* handler) { handler_ = handler; }
    // The zoom cursor while zoom mode is on; a double click then does nothing.
    void SetZoomMode(bool on);
    bool ZoomMode() const { return zoomMode_; }
    bool TimerActive(int id) const;
    // The zoom cursor, Kestrel's own 32 x 32 picture with its hot spot in the lens.
    static QCursor ZoomCursor();

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

  private:
    void RequestRepaint();
    QBasicTimer* TimerOf(int id);

    QWidget* owner_;
    int verticalDpi_;
    bool clientEdge_ = true;
    VideoPictureStore pictures_;
    std::atomic<int> width_{0};
    std::atomic<int> height_{0};

    VideoSurfaceHandler* handler_ = nullptr;
    bool zoomMode_ = false;
    // Click bookkeeping
    bool buttonUpSeen_ = false;
    bool clickHandled_ = false;
    bool doubleClickSeen_ = false;
    QPoint downPoint_;
    QPoint upPoint_;
    QBasicTimer clickTimer_;
    QBasicTimer releaseTimer_;
    QBasicTimer doubleClickTimer_;
};

} // namespace kestrel
