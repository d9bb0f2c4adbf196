#pragma once
// A picture slider: a filled part up to the value, an empty part after it and a thumb. It
// reports to its parent by posted messages, the control id as wParam and the position under
// the mouse as lParam: WM_APP+102 on press, WM_APP+101 while dragging, WM_APP+103 on release.
#include "skin/COffScreenDC.h"

#include <QPixmap>
#include <QWidget>

namespace kestrel {

class CSkinSliderCtrl : public QWidget {
    Q_OBJECT
  public:
    // Creates the slider as a child of `parent`: at the parent's bottom left, as wide as the
    // parent and 10 pixels high.
    CSkinSliderCtrl(int id, QWidget* parent);

    // Loads the four pictures: filled part, empty part, thumb, pressed thumb.
    bool LoadImages(int filled, int empty, int thumb, int pressedThumb);
    // Sets the drawn value and draws the slider again.
    void SetValue(int value);

    int Id() const { return id_; }
    int Value() const { return value_; }
    int MouseValue() const { return mouseValue_; }
    int Dragging() const { return dragging_; }
    int JumpClick() const { return jumpClick_; }

    // The range and whether the slider takes the mouse; the owner sets them directly.
    int Min = 0;
    int Max = 0;
    int Enabled = 1;

    // The position under client x, held to Min..Max; `current` when the scale is not positive.
    int PositionFromX(int x, int current) const;
    // The thumb's rectangle for the current value.
    QRect ThumbRect() const;
    // Ends a drag without reporting it (the owner takes the mouse back).
    void ReleaseDrag();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    float Fraction() const;
    void Render();
    bool InsideReach(int x) const { return x > -10 && x < width() + 10; }
    void Post(int message);

    int id_;
    QPixmap filled_, empty_, thumb_, pressedThumb_;
    COffScreenDC surface_;
    QPoint pressPoint_;
    int dragging_ = 0;
    int value_ = 0;
    int mouseValue_ = 0;
    int jumpClick_ = 0;
};

} // namespace kestrel
