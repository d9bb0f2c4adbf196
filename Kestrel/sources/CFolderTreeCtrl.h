#pragma once
// The file panel's folder tree: one item per folder of the source, each carrying the mask of
// the kinds of recording its folder holds, drawn as a badge before the folder's name.
#include "engine/RecordingCatalogue.h"

#include <QTreeWidget>

#include <filesystem>

namespace kestrel {

class CFolderTreeCtrl : public QTreeWidget, public CatalogueTree {
    Q_OBJECT
  public:
    static constexpr int kRowHeight = 28;
    static const QColor kSelectedFill; // RGB(0, 204, 255)

    explicit CFolderTreeCtrl(QWidget* parent);

    // CatalogueTree: items are appended as the walks find folders.
    Item InsertItem(Item parent, const std::string& label) override;
    void SetItemValue(Item item, KindMask mask) override;

    static Item HandleOf(QTreeWidgetItem* item) { return reinterpret_cast<Item>(item); }
    QTreeWidgetItem* ItemOf(Item handle) const;

    // The folder that contains the top-level items.
    std::filesystem::path BasePath;
    // The item whose folder is listed.
    QTreeWidgetItem* CurrentItem = nullptr;

    // BasePath / the labels of the item's ancestors and itself; only the labels when
    // BasePath is empty; empty for no item.
    std::filesystem::path ItemPath(const QTreeWidgetItem* item) const;
    static KindMask ItemValue(const QTreeWidgetItem* item);
    // The number of ancestors of the item.
    static int Depth(const QTreeWidgetItem* item);
    // The top-level item after the item's own top-level folder, in tree order: the next
    // folder playback continues in. nullptr at the last one.
    QTreeWidgetItem* NextFolderAfter(QTreeWidgetItem* item) const;
    // Deletes every item.
    void DeleteAllItems();

  private:
    class Delegate;
};

} // namespace kestrel
