#pragma once
// The logo panel that stands where the map would be: the plain logo, or the logo with the
// notice that the map cannot be shown without an internet connection.
#include <QWidget>

namespace kestrel {

class CResourceImage;

class CLogoDlg : public QWidget {
    Q_OBJECT
  public:
    enum Variant { WithNotice = 0, Plain = 1 };

    CLogoDlg(const CResourceImage& bank, QWidget* parent);

    // The owner sets the variant and repaints the panel.
    int Variant = Plain;
    // The picture number the variant shows.
    int PictureId() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    const CResourceImage& bank_;
};

} // namespace kestrel
