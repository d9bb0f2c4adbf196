#pragma once
// A check box drawn from a strip of four 12 x 12 cells, with its text to the right of the box.
#include "skin/CSkinButton.h"

namespace kestrel {

class CSkinCheckButton : public CSkinButton {
    Q_OBJECT
  public:
    static constexpr int kBox = 12;

    CSkinCheckButton(int id, const QString& text, QWidget* parent);

    // The box: (0, 4) to (12, 16).
    static QRect BoxRect() { return QRect(0, 4, kBox, kBox); }
    // The mouse is over the box (the hover picture is drawn only then).
    bool BoxHovered() const { return boxHovered_; }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    bool boxHovered_ = false;
};

} // namespace kestrel
