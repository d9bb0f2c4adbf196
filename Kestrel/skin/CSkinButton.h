#pragma once
// A picture button: one strip of four cells (normal, hover, pressed or on, disabled), drawn
// through its transparency. It reacts to the mouse only; keys are swallowed.
#include <QAbstractButton>
#include <QPixmap>
#include <QSize>

#include <vector>

namespace kestrel {

class CSkinButton : public QAbstractButton {
    Q_OBJECT
  public:
    enum Cell { Normal = 0, Hover = 1, Pressed = 2, Disabled = 3 };

    // `id` is the command the button stands for; `cell` the size of one state picture.
    CSkinButton(int id, QSize cell, QWidget* parent);

    int Id() const { return id_; }
    QSize CellSize() const { return cellSize_; }

    // Loads the strip `bitmapId` and cuts it into cells of the current cell size; nothing is
    // drawn while the cells change. False when the picture cannot be made.
    bool SetImage(int bitmapId);
    int ImageId() const { return imageId_; }

    // While 1 nothing is drawn.
    int Frozen = 0;
    // While 1 the button shows its pressed cell whatever its state (a toggle that is on).
    int PressedLook = 0;

    // The cell the button shows now.
    Cell CurrentCell() const;
    bool Hovered() const { return hovered_; }

    QSize sizeHint() const override { return cellSize_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

    // The cell for the button's state, without the hover picture.
    Cell StateCell() const;
    void DrawCell(QPainter& painter, Cell cell, QPoint at) const;

  private:
    int id_;
    QSize cellSize_;
    int imageId_ = 0;
    std::vector<QPixmap> cells_;
    bool hovered_ = false;
};

} // namespace kestrel
