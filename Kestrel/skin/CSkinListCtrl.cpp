#include "skin/CSkinListCtrl.h"

#include "skin/CResourceImage.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace kestrel {
namespace {

constexpr int kStateRole = Qt::UserRole + 100;
constexpr int kCell = 12;

// Draws the row's state picture in front of the first column's text.
class StateImageDelegate : public QStyledItemDelegate {
  public:
    // The list owns its delegate: setItemDelegate does not take it.
    explicit StateImageDelegate(CSkinListCtrl* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (index.column() != 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        const QPixmap* picture = list_->StatePicture(index.data(kStateRole).toInt());
        QStyleOptionViewItem textOption(option);
        if (picture) {
            const int y = option.rect.top() + (option.rect.height() - kCell) / 2;
            painter->drawPixmap(QPoint(option.rect.left() + 3, y), *picture);
            textOption.rect.setLeft(option.rect.left() + kCell + 6);
        }
        QStyledItemDelegate::paint(painter, textOption, index);
    }

  private:
    const CSkinListCtrl* list_;
};

} // namespace

CSkinListCtrl::CSkinListCtrl(int stripId, QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setMouseTracking(true);
    setItemDelegate(new StateImageDelegate(this));
    const QPixmap strip = CResourceImage::LoadSkinBitmap(stripId, CResourceImage::RatioFor(this));
    const qreal dpr = strip.isNull() ? 1.0 : strip.devicePixelRatio();
    const int side = static_cast<int>(kCell * dpr);
    for (int x = 0; side > 0 && x + side <= strip.width(); x += side) {
        QPixmap cell = strip.copy(x, 0, side, side);
        cell.setDevicePixelRatio(dpr);
        cells_.push_back(std::move(cell));
    }
}

int CSkinListCtrl::StateImageOf(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->data(0, kStateRole).toInt() : NoMark;
}

void CSkinListCtrl::SetStateImage(int row, int image) {
    if (QTreeWidgetItem* item = topLevelItem(row))
        item->setData(0, kStateRole, image);
}

const QPixmap* CSkinListCtrl::StatePicture(int image) const {
    // State image n is cell n - 1 of the strip.
    if (image < 1 || static_cast<size_t>(image) > cells_.size())
        return nullptr;
    return &cells_[static_cast<size_t>(image - 1)];
}

int CSkinListCtrl::RowAt(QPoint viewportPos) const {
    const QModelIndex index = indexAt(viewportPos);
    return index.isValid() ? index.row() : -1;
}

void CSkinListCtrl::HotTrack(QPoint viewportPos) {
    if (hotItem_ >= 0 && StateImageOf(hotItem_) == UnmarkedHot)
        SetStateImage(hotItem_, Unmarked);
    hotItem_ = RowAt(viewportPos);
    if (hotItem_ >= 0 && StateImageOf(hotItem_) == Unmarked)
        SetStateImage(hotItem_, UnmarkedHot);
}

void CSkinListCtrl::mouseMoveEvent(QMouseEvent* event) {
    HotTrack(event->position().toPoint());
    QTreeWidget::mouseMoveEvent(event);
}

bool CSkinListCtrl::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave)
        HotTrack(QPoint(-1, -1));
    return QTreeWidget::viewportEvent(event);
}

void CSkinListCtrl::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const int row = RowAt(event->position().toPoint());
    if (row < 0)
        return;
    const int current = StateImageOf(row);
    const int image = current == Unmarked || current == UnmarkedHot ? Marked : Unmarked;
    SetStateImage(row, image);
    emit MarkToggled(row, image);
}

} // namespace kestrel
