#include "sources/CFilerContainerDlg.h"

#include "window/ButtonEnabling.h"
#include "shell/SharedFonts.h"
#include "shell/UiQText.h"
#include "engine/RecorderHeaderReader.h"
#include "settings/SettingsStore.h"
#include "skin/CMovieResource.h"
#include "skin/CSkinCheckButton.h"
#include "skin/SkinPictures.h"
#include "sources/CFileListCtrl.h"
#include "sources/CFolderTreeCtrl.h"
#include "sources/RemovableDrives.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

#include <system_error>

namespace kestrel {

namespace fs = std::filesystem;

const QColor CFilerContainerDlg::kFrameColour(170, 170, 170);

namespace {

// The labels of the five filters: 常時, 衝撃, マニュアル, 駐車, 駐車衝撃.
constexpr int kFilterTextSlots[5] = {26, 29, 27, 28, 141};

bool Exists(const fs::path& path) {
    std::error_code ec;
    return !path.empty() && fs::exists(path, ec);
}

// A path as the panel keeps it: without a trailing separator (the root itself keeps its own).
fs::path WithoutTrailingSeparator(const fs::path& path) {
    std::string text = path.string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return fs::path(text);
}

} // namespace

CFilerContainerDlg::CFilerContainerDlg(QObject* watcherOwner, QWidget* parent)
    : QWidget(parent), watcher_(std::make_unique<CMovieResource>(watcherOwner)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    CreateControls();
    PlaceControls(SideBySide);
}

CFilerContainerDlg::~CFilerContainerDlg() = default;

void CFilerContainerDlg::SetEngine(const EngineApi* api, EngineContext* engine) {
    api_ = api;
    engine_ = engine;
}

void CFilerContainerDlg::CreateControls() {
    pathDisplay_ = new QLineEdit(this);
    pathDisplay_->setObjectName(QStringLiteral("PathDisplay"));
    pathDisplay_->setReadOnly(true);
    pathDisplay_->setFont(SharedFonts::Font10());
    pathDisplay_->setFrame(true);

    tree_ = new CFolderTreeCtrl(this);
    tree_->setObjectName(QStringLiteral("FolderTree"));
    tree_->setFont(SharedFonts::Font13());
    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
                if (SuppressTreeEvents)
                    return;
                emit FolderSelected(previous, current);
            });

    list_ = new CFileListCtrl(this);
    list_->setObjectName(QStringLiteral("FileList"));
    list_->setFont(SharedFonts::Font9());
    connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> selected = list_->selectedItems();
        if (selected.isEmpty())
            return;
        emit RowSelected(list_->row(selected.front()));
    });

    for (size_t i = 0; i < filters_.size(); ++i) {
        const int id = IdFilterFirst + static_cast<int>(i);
        auto* button = new CSkinCheckButton(id, UiQText(kFilterTextSlots[i]), this);
        button->setObjectName(QStringLiteral("Filter%1").arg(id));
        button->setFont(SharedFonts::Font10());
        button->SetImage(pictures::kCheckBox);
        button->setChecked(true);
        // The main window toggles the filter; the button only shows the state it is given.
        connect(button, &QAbstractButton::clicked, this, [this, i, id] {
            filters_[i]->setChecked(list_->KindFilter[i] != 0);
            emit Command(id);
        });
        filters_[i] = button;
    }
}

// ---- Sources ----

void CFilerContainerDlg::OpenSource(const fs::path& given, int kind) {
    const fs::path path = WithoutTrailingSeparator(given);
    SourcePath = path;
    SourceKind = kind;
    FirmwareVersion.clear();
    ClearSource();
    counters_.Reset();
    switch (kind) {
    case SourceSdCard: {
        const bool cardMode = Exists(path / "DCIM");
        const fs::path root = cardMode ? path / "DCIM" : path;
        tree_->BasePath = root;
        watcher_->SetWatchedPath(root);
        PruneEmptyFolders(root, cardMode, nullptr, 0);
        TreeWalk walk;
        walk.Tree = tree_;
        walk.FolderEntries = &FolderEntries;
        walk.CardMode = cardMode;
        BuildTreeCatalogue(root, Recordings, counters_, walk);
        SortCatalogue(Recordings);
        SelectTopLevelItem();
        ReadFirmwareVersion();
        break;
    }
    case SourceFolder: {
        tree_->BasePath = path.has_relative_path() ? path.parent_path() : fs::path();
        watcher_->SetWatchedPath(path.has_relative_path() ? path.parent_path() : path);
        const std::string name =
            path.has_relative_path() ? path.filename().string() : path.string();
        TreeWalk walk;
        walk.Tree = tree_;
        walk.Parent = tree_->InsertItem(CatalogueTree::kRoot, name);
        BuildTreeCatalogue(path, Recordings, counters_, walk);
        SortCatalogue(Recordings);
        SelectTopLevelItem();
        break;
    }
    case SourceFile: {
        tree_->BasePath = path.parent_path();
        watcher_->SetWatchedPath({});
        if (api_ && engine_ && engine_->Ready && api_->IsRecorderFile(*engine_, path) &&
            AddRecordingEntry(path, Recordings, counters_)) {
            watcher_->SetWatchedPath(path);
            RefillList();
            ShowPath(path.parent_path());
            SelectFirstRow();
        }
        break;
    }
    default:
        watcher_->SetWatchedPath({});
        break;
    }
}

bool CFilerContainerDlg::OpenInitialSource() {
    SuppressTreeEvents = 1;
    tree_->DeleteAllItems();
    SuppressTreeEvents = 0;
    std::vector<std::string> drives;
    ListRemovableDrives(drives);
    fs::path chosen;
    int kind = SourceNone;
    for (auto it = drives.rbegin(); it != drives.rend(); ++it) {
        if (Exists(*it)) {
            chosen = *it;
            kind = SourceSdCard;
            break;
        }
    }
    if (kind == SourceNone) {
        if (const fs::path folder = ReadPathSetting("SOURCE", "FOLDER"); Exists(folder)) {
            chosen = folder;
            kind = SourceFolder;
        } else if (const fs::path file = ReadPathSetting("SOURCE", "FILE"); Exists(file)) {
            chosen = file;
            kind = SourceFile;
        } else {
            return false;
        }
    }
    OpenSource(chosen, kind);
    QTreeWidgetItem* first = tree_->topLevelItem(0);
    if (!first)
        return false;
    tree_->setCurrentItem(first);
    ShowPath(tree_->ItemPath(first));
    list_->viewport()->update();
    update();
    return true;
}

void CFilerContainerDlg::SelectTopLevelItem() {
    if (QTreeWidgetItem* first = tree_->topLevelItem(0)) {
        tree_->setCurrentItem(first);
        return;
    }
    // A card without folders: its own recordings are the list.
    RefillList();
}

void CFilerContainerDlg::ReadFirmwareVersion() {
    // The newest folder's first recording carries the recorder's firmware version.
    if (FolderEntries.empty() || !engine_ || !engine_->Ready)
        return;
    const RecordingEntry* newest = &FolderEntries.front();
    for (const RecordingEntry& entry : FolderEntries) {
        if (entry.FileName > newest->FileName)
            newest = &entry;
    }
    DirListing listing;
    if (!ListFolder(newest->FullPath, listing))
        return;
    SortListing(listing);
    for (const DirEntry& item : listing) {
        if (!item.IsRegularFile || !IsMovFile(item.Name) || ClassifyName(item.Name) == KindNone) {
            continue;
        }
        RecorderHeader header;
        if (ReadHeaderOnly(engine_, fs::path(newest->FullPath) / item.Name, header)) {
            FirmwareVersion = FirmwareVersionText(header);
        }
        return;
    }
}

int CFilerContainerDlg::LoadFolder(QTreeWidgetItem* item, bool noRepaint) {
    const fs::path path = tree_->ItemPath(item);
    if (path.empty())
        return 0;
    ShowPath(path);
    Recordings.clear();
    counters_.Reset();
    SuppressTreeEvents = 1;
    qDeleteAll(item->takeChildren());
    SuppressTreeEvents = 0;
    TreeWalk walk;
    walk.Tree = tree_;
    walk.Parent = CFolderTreeCtrl::HandleOf(item);
    walk.Depth = CFolderTreeCtrl::Depth(item);
    BuildTreeCatalogue(path, Recordings, counters_, walk);
    SortCatalogue(Recordings);
    for (QTreeWidgetItem* at = item; at; at = at->parent())
        at->setExpanded(true);
    tree_->CurrentItem = item;
    RefillList();
    if (!noRepaint && !Collapsed)
        update();
    return static_cast<int>(Recordings.size());
}

const Catalogue& CFilerContainerDlg::CollectAllRecordings() {
    AllRecordings.clear();
    CatalogueCounters counters;
    switch (SourceKind) {
    case SourceSdCard:
        BuildFlatCatalogue(tree_->BasePath, AllRecordings, counters, nullptr, 0);
        break;
    case SourceFolder:
        if (QTreeWidgetItem* first = tree_->topLevelItem(0)) {
            BuildFlatCatalogue(tree_->ItemPath(first), AllRecordings, counters, nullptr, 0);
        }
        break;
    case SourceFile:
        AddRecordingEntry(SourcePath, AllRecordings, counters);
        SortCatalogue(AllRecordings);
        break;
    default:
        break;
    }
    return AllRecordings;
}

void CFilerContainerDlg::ClearSource() {
    SuppressTreeEvents = 1;
    tree_->DeleteAllItems();
    SuppressTreeEvents = 0;
    FolderEntries.clear();
    pathDisplay_->clear();
    {
        const QSignalBlocker quiet(list_);
        list_->clear();
    }
    list_->Rows.clear();
    list_->CurrentRow = -1;
    Recordings.clear();
    update();
}

// ---- Rows ----

void CFilerContainerDlg::RefillList() {
    list_->Refill(Recordings);
    list_->CurrentRow = -1;
    update(CountRect());
}

int CFilerContainerDlg::RowCount() const {
    return static_cast<int>(list_->Rows.size());
}

const RecordingEntry* CFilerContainerDlg::Row(int index) const {
    if (index < 0 || index >= RowCount())
        return nullptr;
    return &list_->Rows[static_cast<size_t>(index)];
}

void CFilerContainerDlg::SelectRow(int index) {
    if (index >= 0 && index < list_->count()) {
        list_->CurrentRow = index;
        list_->clearSelection();
        list_->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
        list_->setFocus(Qt::OtherFocusReason);
    }
    if (QListWidgetItem* item = list_->item(index))
        list_->scrollToItem(item);
    list_->viewport()->update();
}

void CFilerContainerDlg::SelectFirstRow() {
    if (list_->count() == 0)
        return;
    list_->CurrentRow = 0;
    list_->clearSelection();
    list_->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
    list_->viewport()->update();
}

void CFilerContainerDlg::SetKindFilter(int index, int on) {
    if (index < 0 || index >= static_cast<int>(filters_.size()))
        return;
    list_->KindFilter[static_cast<size_t>(index)] = on;
    filters_[static_cast<size_t>(index)]->setChecked(on != 0);
    RefillList();
    SelectFirstRow();
}

int CFilerContainerDlg::TakeOpenMode() {
    return std::exchange(OpenMode, 0);
}

QTreeWidgetItem* CFilerContainerDlg::NextFolder() const {
    QTreeWidgetItem* from = tree_->CurrentItem ? tree_->CurrentItem : tree_->currentItem();
    return tree_->NextFolderAfter(from);
}

// ---- Layout and drawing ----

void CFilerContainerDlg::PlaceControls(int layout) {
    layout_ = layout;
    const int w = width();
    const int h = height();
    const auto placeFilter = [this](size_t i, int x, int y) {
        // The box sits 4 pixels into the button, the label 16 pixels right of the box.
        CSkinCheckButton* button = filters_[i];
        button->setGeometry(x, y - 4, button->sizeHint().width(), button->sizeHint().height());
    };
    if (layout == SideBySide) {
        pathDisplay_->setGeometry(4, 5, 382, 22);
        tree_->setGeometry(4, 48, 217, std::max(0, h - 52));
        list_->setGeometry(224, 48, 224, std::max(0, h - 52));
        const int xs[5] = {5, 55, 105, 192, 242};
        for (size_t i = 0; i < filters_.size(); ++i)
            placeFilter(i, xs[i], 30);
    } else {
        pathDisplay_->setGeometry(4, 28, std::max(0, w - 8), 22);
        tree_->setGeometry(4, 54, std::max(0, w - 8), 284);
        list_->setGeometry(4, 386, std::max(0, w - 8), std::max(0, h - 390));
        // Three filters on the first row, two on the second; the longer labels need the room.
        const QPoint at[5] = {{5, 348}, {75, 348}, {145, 348}, {5, 368}, {87, 368}};
        for (size_t i = 0; i < filters_.size(); ++i)
            placeFilter(i, at[i].x(), at[i].y());
    }
    const bool shown = !Collapsed;
    pathDisplay_->setVisible(shown);
    tree_->setVisible(shown);
    list_->setVisible(shown);
    for (CSkinCheckButton* button : filters_)
        button->setVisible(shown);
    update();
}

void CFilerContainerDlg::SetCollapsed(bool collapsed, const QPixmap& picture) {
    Collapsed = collapsed;
    collapsedPicture_ = picture;
    PlaceControls(layout_);
}

QString CFilerContainerDlg::CountText() const {
    QString format = UiQText(37); // %d個
    return format.replace(QStringLiteral("%d"), QString::number(RowCount()));
}

QRect CFilerContainerDlg::CountRect() const {
    return layout_ == SideBySide ? QRect(width() - 64, 5, 58, 22) : QRect(width() - 90, 5, 84, 20);
}

void CFilerContainerDlg::ShowPath(const fs::path& path) {
    pathDisplay_->setText(QString::fromStdString(path.string()));
    pathDisplay_->setCursorPosition(0);
}

void CFilerContainerDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (Collapsed) {
        if (!collapsedPicture_.isNull())
            painter.drawPixmap(rect(), collapsedPicture_);
        else
            painter.fillRect(rect(), Qt::white);
        return;
    }
    painter.fillRect(rect(), Qt::white);
    painter.setPen(kFrameColour);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setFont(SharedFonts::Font10());
    painter.setPen(Qt::black);
    painter.drawText(CountRect(), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                     CountText());
}

// Clicks between the controls stay in the panel instead of dragging the window behind it.
void CFilerContainerDlg::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

} // namespace kestrel
