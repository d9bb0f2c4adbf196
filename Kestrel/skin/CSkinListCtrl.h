#pragma once
// A report-style list whose rows carry check marks as state images: 1 unmarked, 2 unmarked
// with the mouse over the row, 3 marked (0: no mark). A click toggles the row's mark.
#include <QPixmap>
#include <QTreeWidget>

#include <vector>

namespace kestrel {

class CSkinListCtrl : public QTreeWidget {
    Q_OBJECT
  public:
    enum StateImage { NoMark = 0, Unmarked = 1, UnmarkedHot = 2, Marked = 3 };

    // `stripId` is the picture of the check cells (normal, hover, marked, disabled).
    CSkinListCtrl(int stripId, QWidget* parent);

    int StateImageOf(int row) const;
    void SetStateImage(int row, int image);
    // The row under the mouse, -1 for none.
    int HotItem() const { return hotItem_; }
    // The state picture `image` draws, or nullptr for none.
    const QPixmap* StatePicture(int image) const;

  signals:
    void MarkToggled(int row, int image);

  protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

  private:
    void HotTrack(QPoint viewportPos);
    int RowAt(QPoint viewportPos) const;

    std::vector<QPixmap> cells_;
    int hotItem_ = -1;
};

} // namespace kestrel
