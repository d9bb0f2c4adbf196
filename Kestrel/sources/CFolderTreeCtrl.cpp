#include "sources/CFolderTreeCtrl.h"

#include "sources/KindBadge.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace kestrel {

namespace {
constexpr int kValueRole = Qt::UserRole + 1;
constexpr int kBadgeLeft = 2;
constexpr int kIndent = 18;
} // namespace

const QColor CFolderTreeCtrl::kSelectedFill(0, 204, 255);

// Draws a row across the whole width: the selection fill, the badge and the name.
class CFolderTreeCtrl::Delegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(kRowHeight);
        return size;
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const auto* tree = static_cast<const QTreeView*>(parent());
        // The whole row, from the viewport's left edge, not only the item's indented part.
        QRect row = option.rect;
        row.setLeft(0);
        row.setRight(tree->viewport()->width() - 1);
        const bool selected = option.state & QStyle::State_Selected;
        painter->save();
        painter->fillRect(row, selected ? kSelectedFill : QColor(Qt::white));
        int level = 0;
        for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
            ++level;
        const auto mask = static_cast<KindMask>(index.data(kValueRole).toUInt());
        const int indent = level * kIndent;
        if (mask != 0) {
            const QImage badge = KindBadge::Compose(mask, painter->device()->devicePixelRatioF());
            painter->drawImage(
                QPoint(kBadgeLeft + indent, row.top() + (row.height() - KindBadge::kHeight) / 2),
                badge);
        }
        const QRect text(kBadgeLeft + indent + KindBadge::kWidth + 6, row.top(),
                         row.width() - indent - KindBadge::kWidth - 8, row.height());
        painter->setFont(option.font);
        painter->setPen(selected ? QColor(Qt::white) : option.palette.color(QPalette::Text));
        painter->drawText(
            text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
            option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, text.width()));
        if (selected && (option.state & QStyle::State_HasFocus)) {
            painter->setPen(QPen(QColor(Qt::white), 1, Qt::DotLine));
            painter->drawRect(row.adjusted(0, 0, -1, -1));
        }
        painter->restore();
    }
};

CFolderTreeCtrl::CFolderTreeCtrl(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setExpandsOnDoubleClick(false);
    setItemDelegate(new Delegate(this));
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    setPalette(p);
}

QTreeWidgetItem* CFolderTreeCtrl::ItemOf(Item handle) const {
    if (handle == kRoot)
        return invisibleRootItem();
    return reinterpret_cast<QTreeWidgetItem*>(handle);
}

CatalogueTree::Item CFolderTreeCtrl::InsertItem(Item parent, const std::string& label) {
    auto* item = new QTreeWidgetItem(QStringList{QString::fromStdString(label)});
    ItemOf(parent)->addChild(item);
    return HandleOf(item);
}

void CFolderTreeCtrl::SetItemValue(Item item, KindMask mask) {
    if (item == kRoot)
        return;
    ItemOf(item)->setData(0, kValueRole, static_cast<uint>(mask));
}

KindMask CFolderTreeCtrl::ItemValue(const QTreeWidgetItem* item) {
    return item ? static_cast<KindMask>(item->data(0, kValueRole).toUInt()) : 0;
}

std::filesystem::path CFolderTreeCtrl::ItemPath(const QTreeWidgetItem* item) const {
    if (!item)
        return {};
    std::vector<std::string> labels;
    for (const QTreeWidgetItem* at = item; at; at = at->parent()) {
        labels.push_back(at->text(0).toStdString());
    }
    std::filesystem::path path = BasePath;
    for (auto it = labels.rbegin(); it != labels.rend(); ++it) {
        path = path.empty() ? std::filesystem::path(*it) : path / *it;
    }
    return path;
}

int CFolderTreeCtrl::Depth(const QTreeWidgetItem* item) {
    int depth = 0;
    for (const QTreeWidgetItem* at = item ? item->parent() : nullptr; at; at = at->parent()) {
        ++depth;
    }
    return depth;
}

QTreeWidgetItem* CFolderTreeCtrl::NextFolderAfter(QTreeWidgetItem* item) const {
    if (!item)
        return nullptr;
    // The item below it in the expanded tree, children first; the recorder's folders are
    // one level deep, so this is the next day's folder.
    return itemBelow(item);
}

void CFolderTreeCtrl::DeleteAllItems() {
    CurrentItem = nullptr;
    clear();
}

} // namespace kestrel
