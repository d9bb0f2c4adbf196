#pragma once
// The video surface: the child window the engine renders into and posts its messages to. The
// engine's and the player's messages that concern the main window are passed on to it. The
// player hands it finished pictures on its own thread; the surface keeps the newest one and
// paints it at its destination, black around it.
#include "platform/VideoWindow.h"
#include "video/VideoPictureStore.h"

#include <QWidget>

#include <atomic>

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
    // The size as of the last resize; any thread.
    void ClientSize(int& width, int& height) const override;
    // Keeps the picture and asks for a repaint on the window's own thread; any thread.
    void PresentPicture(const VideoPicture& picture, const Rect& destination) override;
    void FillBlack(const Rect& area) override;

    // The sunken edge the surface has outside full screen.
    void SetClientEdge(bool on);
    bool ClientEdge() const { return clientEdge_; }
    // Shows black until the next picture.
    void ClearPicture();
    const VideoPictureStore& Pictures() const { return pictures_; }

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void RequestRepaint();

    QWidget* owner_;
    int verticalDpi_;
    bool clientEdge_ = true;
    VideoPictureStore pictures_;
    std::atomic<int> width_{0};
    std::atomic<int> height_{0};
};

} // namespace kestrel
