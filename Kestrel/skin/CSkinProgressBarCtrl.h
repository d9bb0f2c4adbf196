#pragma once
// A progress bar: blue from the left up to the position, white after it, and the percentage
// centred on it, white over the blue part and blue over the white part.
#include <QWidget>

namespace kestrel {

class CSkinProgressBarCtrl : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kHeight = 22;

    CSkinProgressBarCtrl(int id, QWidget* parent);

    int Id() const { return id_; }
    void SetRange(int lower, int upper);
    void SetPos(int position);
    int Lower() const { return lower_; }
    int Upper() const { return upper_; }
    int Pos() const { return position_; }

    // Moves the bar over the bottom 22 pixels of `window`, with its left edge and width, in the
    // coordinates of `owner` (the bar's parent).
    void PlaceOver(QWidget* owner, QWidget* window);

    // Width of the blue part in a bar `width` pixels wide.
    int FilledWidth(int width) const;
    // The text on the bar, "42 %".
    QString Text() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int id_;
    int lower_ = 0;
    int upper_ = 100;
    int position_ = 0;
};

} // namespace kestrel
