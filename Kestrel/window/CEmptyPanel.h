#pragma once
// A panel that holds the place of a view not built yet: it paints its background and frame and
// keeps clicks to itself, so that they do not drag the window behind it.
#include <QColor>
#include <QWidget>

namespace kestrel {

class CEmptyPanel : public QWidget {
    Q_OBJECT
  public:
    CEmptyPanel(const QColor& background, const QColor& frame, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QColor background_;
    QColor frame_;
};

} // namespace kestrel
