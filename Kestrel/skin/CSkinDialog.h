#pragma once
// The base of the viewer's dialogs: no frame, a light title strip 20 pixels high with the icon
// and the title, a picture close button, and dragging by the title strip.
#include <QDialog>
#include <QPoint>

namespace kestrel {

class CSkinButton;

class CSkinDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kTitleHeight = 20;

    explicit CSkinDialog(QWidget* parent = nullptr);

    // Creates the close button in the top-right corner, (right - 20, 4) to (right - 7, 16).
    // Pressing it rejects the dialog.
    CSkinButton* CreateCloseButton(int id);
    CSkinButton* CloseButton() const { return closeButton_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    // The title strip with the icon and the title.
    void PaintTitleStrip(QPainter& painter);

  private:
    void PlaceCloseButton();

    CSkinButton* closeButton_ = nullptr;
    bool dragging_ = false;
    QPoint dragStart_;
};

} // namespace kestrel
