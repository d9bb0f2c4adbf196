#pragma once
// The logo panel that stands where the map would be.
#include <QWidget>

namespace kestrel {

class CResourceImage;

class CLogoDlg : public QWidget {
    Q_OBJECT
  public:
    CLogoDlg(const CResourceImage& bank, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    const CResourceImage& bank_;
};

} // namespace kestrel
