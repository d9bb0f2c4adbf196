#pragma once
// The video surface: the child window the engine renders into and posts its messages to. The
// engine's and the player's messages that concern the main window are passed on to it.
#include "engine/VideoWindow.h"

#include <QWidget>

namespace kestrel {

class CMovieStatic : public QWidget, public VideoWindow {
    Q_OBJECT
  public:
    static constexpr int kId = 1000;

    // `owner` receives the forwarded messages.
    CMovieStatic(QWidget* owner, QWidget* parent);

    // VideoWindow: posts to this window; any thread.
    void PostAppMessage(int message, intptr_t wParam, intptr_t lParam) override;
    int VerticalDpi() const override { return verticalDpi_; }

    // The sunken edge the surface has outside full screen.
    void SetClientEdge(bool on);
    bool ClientEdge() const { return clientEdge_; }

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QWidget* owner_;
    int verticalDpi_;
    bool clientEdge_ = true;
};

} // namespace kestrel
