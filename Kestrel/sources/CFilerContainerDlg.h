#pragma once
// The file panel: the current source with its folder tree, the list of the selected folder's
// recordings, the five kind filters and the number of listed recordings. It shows and
// selects; opening and playing a recording is the main window's business. It also watches
// the source's path, so that the main window learns when the card is pulled out.
#include "engine/EngineApi.h"
#include "engine/RecordingCatalogue.h"

#include <QPixmap>
#include <QWidget>

#include <array>
#include <filesystem>
#include <memory>
#include <string>

class QLineEdit;
class QTreeWidgetItem;

namespace kestrel {

class CFileListCtrl;
class CFolderTreeCtrl;
class CMovieResource;
class CSkinCheckButton;

class CFilerContainerDlg : public QWidget {
    Q_OBJECT
  public:
    enum Layout : int { SideBySide = 0, Stacked = 1 };
    enum Control : int {
        IdPathDisplay = 38500,
        IdTree = 38300,
        IdList = 1001,
        IdFilterFirst = 38700
    };
    static const QColor kFrameColour; // RGB(170, 170, 170)

    // `watcherOwner` receives the source watcher's message (the main window).
    CFilerContainerDlg(QObject* watcherOwner, QWidget* parent);
    ~CFilerContainerDlg() override;

    // The engine that checks a single file before it is listed; none: single files are refused.
    void SetEngine(const EngineApi* api, EngineContext* engine);

    // Replaces the current source by `path` of `kind` (1 card, 2 folder, 3 file).
    void OpenSource(const std::filesystem::path& path, int kind);
    // At start-up: an inserted card, else the stored folder, else the stored file. True when
    // the tree then has a top-level item.
    bool OpenInitialSource();
    // Lists the item's folder, read from disk again; returns the number of recordings.
    int LoadFolder(QTreeWidgetItem* item, bool noRepaint);
    // Every recording of the source, for the export and the list dialog.
    const Catalogue& CollectAllRecordings();
    void SelectRow(int index);
    void SelectFirstRow();
    void SetKindFilter(int index, int on);
    void ClearSource();
    void PlaceControls(int layout);
    // Shows only `picture` instead of the controls while collapsed.
    void SetCollapsed(bool collapsed, const QPixmap& picture = {});

    // The way the next opened row was chosen (0 by the user, 1 by next, 2 by previous);
    // reading it resets it to 0.
    int TakeOpenMode();
    int OpenMode = 0;
    // The main window asks for a reopen of the row that is already current.
    int ForceReopen = 0;

    int SourceKind = 0;
    std::filesystem::path SourcePath;
    std::string FirmwareVersion;
    Catalogue Recordings;
    Catalogue FolderEntries;
    Catalogue AllRecordings;
    bool Collapsed = false;
    int SuppressTreeEvents = 0;

    CFolderTreeCtrl* Tree() const { return tree_; }
    CFileListCtrl* List() const { return list_; }
    QLineEdit* PathDisplay() const { return pathDisplay_; }
    CSkinCheckButton* FilterButton(int index) const {
        return filters_.at(static_cast<size_t>(index));
    }
    CMovieResource& Watcher() const { return *watcher_; }
    int LayoutMode() const { return layout_; }

    int RowCount() const;
    // The entry of a listed row, nullptr outside the list.
    const RecordingEntry* Row(int index) const;
    // "%d個" with the number of rows.
    QString CountText() const;
    // The folder item after the listed one, where playback continues; nullptr at the last.
    QTreeWidgetItem* NextFolder() const;

  signals:
    // A row became selected (by the user or by SelectRow).
    void RowSelected(int row);
    // The tree's selection moved; not emitted while the panel empties the tree itself.
    void FolderSelected(QTreeWidgetItem* previous, QTreeWidgetItem* current);
    // A kind-filter button was pressed: command 38700 + its index.
    void Command(int id);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void CreateControls();
    void RefillList();
    void SelectTopLevelItem();
    void ReadFirmwareVersion();
    void ShowPath(const std::filesystem::path& path);
    QRect CountRect() const;

    const EngineApi* api_ = nullptr;
    EngineContext* engine_ = nullptr;
    CatalogueCounters counters_;
    QLineEdit* pathDisplay_ = nullptr;
    CFolderTreeCtrl* tree_ = nullptr;
    CFileListCtrl* list_ = nullptr;
    std::array<CSkinCheckButton*, 5> filters_{};
    std::unique_ptr<CMovieResource> watcher_;
    QPixmap collapsedPicture_;
    int layout_ = SideBySide;
};

} // namespace kestrel
