#include "sources/CFileListCtrl.h"

#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace kestrel {

const QColor CFileListCtrl::kCurrentEventFill(178, 178, 142);
const QColor CFileListCtrl::kCurrentFill(178, 178, 178);
const QColor CFileListCtrl::kEventFill(255, 255, 204);
const QColor CFileListCtrl::kFrame(136, 136, 136);

namespace {
// Column 0 leaves a margin of this many pixels at the right.
constexpr int kRightMargin = 51;
} // namespace

class CFileListCtrl::Delegate : public QStyledItemDelegate {
  public:
    explicit Delegate(CFileListCtrl* list) : QStyledItemDelegate(list), list_(list) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(kRowHeight);
        return size;
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int row = index.row();
        if (row < 0 || static_cast<size_t>(row) >= list_->Rows.size())
            return;
        const RecordingKind kind = ClassifyName(list_->Rows[static_cast<size_t>(row)].FileName);
        QRect area = option.rect;
        area.setLeft(0);
        area.setWidth(std::max(0, list_->viewport()->width() - kRightMargin));
        painter->save();
        painter->fillRect(area, RowFill(kind, row == list_->CurrentRow));
        painter->setPen(kFrame);
        painter->drawRect(area.adjusted(0, 0, -1, -1));
        painter->setFont(option.font);
        painter->setPen(Qt::black);
        const QRect text = area.adjusted(4, 0, -2, 0);
        painter->drawText(
            text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
            option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, text.width()));
        painter->restore();
    }

  private:
    CFileListCtrl* list_;
};

CFileListCtrl::CFileListCtrl(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setWordWrap(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The scroll bar stays present and is only disabled when nothing can scroll.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this,
            [this](int min, int max) { verticalScrollBar()->setEnabled(max > min); });
    verticalScrollBar()->setEnabled(false);
    setItemDelegate(new Delegate(this));
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::white);
    setPalette(p);
}

std::vector<RecordingEntry> CFileListCtrl::Filtered(const Catalogue& recordings,
                                                    const std::array<int, kFilterCount>& filter) {
    std::vector<RecordingEntry> rows;
    for (const RecordingEntry& entry : recordings) {
        int button = -1;
        switch (ClassifyName(entry.FileName)) {
        case KindContinuous:
            button = 0;
            break;
        case KindImpact:
            button = 1;
            break;
        case KindManual:
            button = 2;
            break;
        case KindParking:
        case KindParkingT:
            button = 3;
            break;
        case KindParkingImpact:
        case KindParkingImpactU:
            button = 4;
            break;
        default:
            break;
        }
        if (button < 0 || filter[static_cast<size_t>(button)])
            rows.push_back(entry);
    }
    return rows;
}

std::string CFileListCtrl::ShownName(std::string_view fileName) {
    const size_t dot = fileName.find('.');
    if (dot == std::string_view::npos || dot == 0)
        return std::string(fileName);
    return std::string(fileName.substr(0, dot));
}

bool CFileListCtrl::IsEventKind(RecordingKind kind) {
    switch (kind) {
    case KindImpact:
    case KindManual:
    case KindParkingImpact:
    case KindSpeedCamera:
    case KindRadar:
    case KindParkingImpactU:
        return true;
    default:
        return false;
    }
}

QColor CFileListCtrl::RowFill(RecordingKind kind, bool current) {
    const bool event = IsEventKind(kind);
    if (current)
        return event ? kCurrentEventFill : kCurrentFill;
    return event ? kEventFill : QColor(Qt::white);
}

void CFileListCtrl::Refill(const Catalogue& recordings) {
    Rows = Filtered(recordings, KindFilter);
    const QSignalBlocker quiet(this); // emptying the list is not a selection by the user
    clear();
    for (const RecordingEntry& entry : Rows)
        addItem(QString::fromStdString(ShownName(entry.FileName)));
    viewport()->update();
}

} // namespace kestrel
