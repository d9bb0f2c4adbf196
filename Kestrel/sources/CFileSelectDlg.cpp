#include "sources/CFileSelectDlg.h"

#include "shell/SharedFonts.h"
#include "shell/UiQText.h"
#include "skin/CMsgBox.h"
#include "skin/CSkinCheckButton.h"
#include "skin/CSkinListCtrl.h"
#include "skin/SkinPictures.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace kestrel {
namespace {

constexpr int kWidth = 470;
constexpr int kHeight = 500;

// The join takes only movies: the extension holds ".MOV" in any case.
bool HasMovieExtension(const std::string& path) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return false;
    std::string extension = path.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return extension.find(".MOV") != std::string::npos;
}

Catalogue FirstEntries(const Catalogue& list) {
    const size_t n = std::min(list.size(), CFileSelectDlg::kMaxEntries);
    return Catalogue(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(n));
}

} // namespace

const QColor CFileSelectDlg::kJoinedText(255, 0, 255);
const QColor CFileSelectDlg::kJoinedBackground(255, 255, 0);

CFileSelectDlg::CFileSelectDlg(QWidget* parent) : CSkinDialog(parent) {
    setObjectName(QStringLiteral("FileSelectDialog"));
    setModal(true);
}

bool CFileSelectDlg::SetAllEntries(const Catalogue& list) {
    allEntries_ = FirstEntries(list);
    return list.size() <= kMaxEntries;
}

void CFileSelectDlg::SetListEntries(const Catalogue& list) {
    listEntries_ = FirstEntries(list);
    if (list.size() > kMaxEntries) {
        // 表示数が1500を超えています。1500項目表示します。
        CMsgBox(parentWidget()).Show(UiQText(105), CMsgBox::ErrorCaption());
    }
}

QString CFileSelectDlg::SizeText(uint64_t bytes) {
    return QStringLiteral("%1 MB").arg(static_cast<qulonglong>(bytes >> 20));
}

QString CFileSelectDlg::TotalText(uint64_t bytes) {
    return QStringLiteral("%1 MB").arg(static_cast<qlonglong>(bytes >> 20));
}

void CFileSelectDlg::Prepare() {
    if (prepared_)
        return;
    prepared_ = true;
    const QFont& font = SharedFonts::Font10();
    setFont(font);
    resize(kWidth, kHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - QPoint(kWidth / 2, kHeight / 2));
    CreateCloseButton(IdClose);

    list_ = new CSkinListCtrl(pictures::kCheckBox, this);
    list_->setObjectName(QStringLiteral("List%1").arg(IdList));
    list_->setFont(font);
    list_->setColumnCount(2);
    list_->setHeaderLabels({UiQText(50), UiQText(51)}); // ファイル名, ファイルサイズ
    list_->setColumnWidth(0, 220);
    list_->setColumnWidth(1, 220);
    list_->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->header()->setSectionsMovable(false);
    connect(list_, &CSkinListCtrl::MarkToggled, this,
            [this](int row, int image) { OnRowChanged(row, image == CSkinListCtrl::Marked); });

    total_ = new QLabel(QStringLiteral("0 MB"), this);
    total_->setObjectName(QStringLiteral("Total%1").arg(IdTotal));
    total_->setFont(font);
    total_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    ok_ = new QPushButton(this);
    ok_->setObjectName(QStringLiteral("Ok%1").arg(IdOk));
    ok_->setFont(font);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &CFileSelectDlg::PressOk);

    showAllButton_ = new CSkinCheckButton(IdShowAll, UiQText(56), this); // 全てのファイルを表示
    selectAllButton_ = new CSkinCheckButton(IdSelectAll, UiQText(55), this); // 表示された全てを選択
    for (CSkinCheckButton* button : {showAllButton_, selectAllButton_}) {
        button->setObjectName(QStringLiteral("Check%1").arg(button->Id()));
        button->setFont(font);
        button->SetImage(pictures::kCheckBox);
        button->setCheckable(true);
        connect(button, &QAbstractButton::clicked, this,
                [this, id = button->Id()] { PressCheck(id); });
    }

    Populate(0);
    PlaceControls();

    if (SelectMode == ModeJoin) {
        showAllButton_->hide();
        setWindowTitle(UiQText(44)); // 動画連結
        ok_->setText(UiQText(45));   // 次へ
    } else {
        setWindowTitle(UiQText(47)); // 削除
        ok_->setText(UiQText(47));
    }
    ok_->setEnabled(false);
}

int CFileSelectDlg::exec() {
    Prepare();
    return CSkinDialog::exec();
}

void CFileSelectDlg::resizeEvent(QResizeEvent* event) {
    CSkinDialog::resizeEvent(event);
    PlaceControls();
}

void CFileSelectDlg::PlaceControls() {
    if (!list_)
        return;
    const int w = width(), h = height();
    list_->setGeometry(10, 30, w - 20, h - 140);
    total_->setGeometry(w - 160, h - 70, 140, 20);
    ok_->setGeometry(w - 130, h - 40, 120, 30);
    showAllButton_->setGeometry(
        QRect(QPoint(20, h - 70), QPoint(220, h - 50)).adjusted(0, 0, -1, -1));
    selectAllButton_->setGeometry(
        QRect(QPoint(20, h - 40), QPoint(220, h - 20)).adjusted(0, 0, -1, -1));
}

int CFileSelectDlg::RowCount() const {
    return list_ ? list_->topLevelItemCount() : 0;
}

bool CFileSelectDlg::IsMarked(int row) const {
    return list_ && list_->StateImageOf(row) == CSkinListCtrl::Marked;
}

void CFileSelectDlg::Populate(int showAll) {
    shown_.clear();
    list_->clear();
    RunStart = RunEnd = -1;
    for (const RecordingEntry& entry : showAll ? allEntries_ : listEntries_) {
        if (SelectMode == ModeJoin && !HasMovieExtension(entry.FullPath))
            continue;
        shown_.push_back(entry);
    }
    for (const RecordingEntry& entry : shown_) {
        auto* item =
            new QTreeWidgetItem({QString::fromStdString(entry.FileName), SizeText(entry.FileSize)});
        // Recordings that were joined are told apart in the join list.
        if (SelectMode == ModeJoin && entry.Checked == 1) {
            for (int column = 0; column < 2; ++column) {
                item->setForeground(column, kJoinedText);
                item->setBackground(column, kJoinedBackground);
            }
        }
        list_->addTopLevelItem(item);
        list_->SetStateImage(list_->topLevelItemCount() - 1, CSkinListCtrl::Unmarked);
    }
}

void CFileSelectDlg::SetMarked(int row, bool marked) {
    list_->SetStateImage(row, marked ? CSkinListCtrl::Marked : CSkinListCtrl::Unmarked);
}

void CFileSelectDlg::RecomputeRun() {
    const int rows = RowCount();
    RunStart = RunEnd = -1;
    for (int r = 0; r < rows; ++r) {
        if (IsMarked(r)) {
            RunStart = r;
            break;
        }
    }
    if (RunStart < 0)
        return;
    RunEnd = rows;
    for (int r = RunStart + 1; r < rows; ++r) {
        if (!IsMarked(r)) {
            RunEnd = r;
            break;
        }
    }
}

void CFileSelectDlg::ApplyRunRule(int row, bool marked) {
    if (RunStart >= 0 && RunEnd >= 0) {
        if (marked && row < RunStart) {
            for (int r = row; r < RunStart; ++r)
                SetMarked(r, true);
        } else if (marked && row >= RunEnd) {
            for (int r = RunEnd; r < row; ++r)
                SetMarked(r, true);
        } else if (!marked && row > RunStart && row < RunEnd) {
            for (int r = row; r < RunEnd; ++r)
                SetMarked(r, false);
        }
    }
    RecomputeRun();
}

int CFileSelectDlg::UpdateTotal() {
    uint64_t sum = 0;
    int count = 0;
    for (int r = 0; r < RowCount(); ++r) {
        if (!IsMarked(r))
            continue;
        sum += shown_[static_cast<size_t>(r)].FileSize;
        ++count;
    }
    total_->setText(TotalText(sum));
    if (SelectMode == ModeJoin) {
        SizeOver = (sum >> 20) > kMaxJoinMb ? 1 : 0;
        TooMany = count > kMaxJoinFiles ? 1 : 0;
    }
    // The total is red while the marked files are too big to join.
    QPalette colours = total_->palette();
    colours.setColor(QPalette::WindowText, SizeOver ? QColor(255, 0, 0) : QColor(0, 0, 0));
    total_->setPalette(colours);
    // OK needs two files to join, one to delete; the check buttons go through here too, so
    // that a list whose marks were dropped never offers OK.
    ok_->setEnabled(SelectMode == ModeJoin ? count > 1 : count > 0);
    list_->viewport()->update();
    return count;
}

void CFileSelectDlg::OnRowChanged(int row, bool marked) {
    if (SelectMode == ModeJoin)
        ApplyRunRule(row, marked);
    UpdateTotal();
}

void CFileSelectDlg::ToggleRow(int row) {
    if (row < 0 || row >= RowCount())
        return;
    const bool marked = !IsMarked(row);
    SetMarked(row, marked);
    OnRowChanged(row, marked);
}

void CFileSelectDlg::PressCheck(int id) {
    CSkinCheckButton* button = id == IdShowAll ? showAllButton_ : selectAllButton_;
    int& state = id == IdShowAll ? ShowAll : SelectAll;
    state = state ? 0 : 1;
    button->setChecked(state != 0);
    button->update();
    Populate(ShowAll);
    if (SelectAll) {
        for (int r = 0; r < RowCount(); ++r) {
            const int image = list_->StateImageOf(r);
            const bool unmarked =
                image == CSkinListCtrl::Unmarked || image == CSkinListCtrl::UnmarkedHot;
            list_->SetStateImage(r, unmarked || image == CSkinListCtrl::Marked
                                        ? CSkinListCtrl::Marked
                                        : CSkinListCtrl::Unmarked);
        }
        RecomputeRun();
    }
    UpdateTotal();
}

void CFileSelectDlg::PressOk() {
    if (SizeOver) {
        CMsgBox(this).Show(UiQText(139), CMsgBox::ErrorCaption()); // サイズオーバーです。
        return;
    }
    if (TooMany) {
        CMsgBox(this).Show(UiQText(142), CMsgBox::ErrorCaption()); // ファイル数を減らしてください。
        return;
    }
    result_.clear();
    for (int r = 0; r < RowCount(); ++r) {
        if (IsMarked(r))
            result_.push_back(shown_[static_cast<size_t>(r)]);
    }
    accept();
}

} // namespace kestrel
