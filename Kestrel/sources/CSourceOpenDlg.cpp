#include "sources/CSourceOpenDlg.h"

#include "window/ButtonEnabling.h"
#include "shell/SharedFonts.h"
#include "shell/UiQText.h"
#include "settings/FolderBrowser.h"
#include "settings/SettingsStore.h"
#include "skin/CSkinCheckButton.h"
#include "skin/SkinPictures.h"
#include "sources/RemovableDrives.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <system_error>

namespace kestrel {

namespace {

QRect Ltrb(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

constexpr const char* kSelectValues[3] = {"SD", "FOLDER", "FILE"};

} // namespace

CSourceOpenDlg::CSourceOpenDlg(QWidget* parent) : CSkinDialog(parent) {
    setWindowTitle(UiQText(133)); // 参照先
    setFont(SharedFonts::Font10());
    setFixedSize(kWidth, kHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move(s.left() + (s.width() - kWidth) / 2, s.top() + (s.height() - kHeight) / 2);
    }
    CreateControls();
    CreateCloseButton(IdClose);
    ReadSettings();
}

void CSourceOpenDlg::CreateControls() {
    const int textSlots[3] = {134, 132, 131}; // SDカード, フォルダー, ファイル
    const int tops[3] = {50, 100, 150};
    for (int i = 0; i < 3; ++i) {
        auto* button = new CSkinCheckButton(IdSdCard + i, UiQText(textSlots[i]), this);
        button->setObjectName(QStringLiteral("Kind%1").arg(IdSdCard + i));
        button->SetImage(pictures::kCheckBoxSource);
        button->setFont(SharedFonts::Font10());
        button->setGeometry(Ltrb(30, tops[i], 150, tops[i] + 26));
        connect(button, &QAbstractButton::clicked, this, [this, i] { SelectKind(IdSdCard + i); });
        kinds_[static_cast<size_t>(i)] = button;
    }

    drives_ = new QComboBox(this);
    drives_->setObjectName(QStringLiteral("DriveList"));
    drives_->setGeometry(Ltrb(150, 50, 450, 76));
    std::vector<std::string> roots;
    const int preselect = ListRemovableDrives(roots);
    for (const std::string& root : roots)
        drives_->addItem(QString::fromStdString(root));
    drives_->setCurrentIndex(preselect >= 0 && preselect < drives_->count() ? preselect : -1);
    connect(drives_, &QComboBox::activated, this, [this](int index) {
        if (index < 0)
            return;
        drive_ = drives_->itemText(index).toStdString();
        SelectKind(IdSdCard);
    });

    folderEdit_ = new QLineEdit(this);
    folderEdit_->setObjectName(QStringLiteral("FolderEdit"));
    folderEdit_->setGeometry(Ltrb(150, 100, 450, 126));
    fileEdit_ = new QLineEdit(this);
    fileEdit_->setObjectName(QStringLiteral("FileEdit"));
    fileEdit_->setGeometry(Ltrb(150, 150, 450, 176));

    folderBrowse_ = new QPushButton(QStringLiteral("..."), this);
    folderBrowse_->setGeometry(Ltrb(470, 100, 510, 126));
    connect(folderBrowse_, &QPushButton::clicked, this, &CSourceOpenDlg::BrowseFolder);
    fileBrowse_ = new QPushButton(QStringLiteral("..."), this);
    fileBrowse_->setGeometry(Ltrb(470, 150, 510, 176));
    connect(fileBrowse_, &QPushButton::clicked, this, &CSourceOpenDlg::BrowseFile);

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("OkButton"));
    ok_->setGeometry(Ltrb(410, 200, 510, 226));
    connect(ok_, &QPushButton::clicked, this, &CSourceOpenDlg::OnOk);
}

void CSourceOpenDlg::ReadSettings() {
    folder_ = ReadPathSetting("SOURCE", "FOLDER");
    file_ = ReadPathSetting("SOURCE", "FILE");
    drive_ = ReadPathSetting("SOURCE", "SD"); // the list's preselection still stands
    folderEdit_->setText(QString::fromStdString(folder_));
    fileEdit_->setText(QString::fromStdString(file_));
    const std::string select = ReadSetting("SOURCE", "SELECT");
    int id = IdSdCard;
    if (select == "FOLDER")
        id = IdFolder;
    else if (select == "FILE")
        id = IdFile;
    SelectKind(id);
}

void CSourceOpenDlg::SelectKind(int id) {
    if (id < IdSdCard || id > IdFile)
        return;
    kind_ = id - IdSdCard + 1;
    for (size_t i = 0; i < kinds_.size(); ++i) {
        kinds_[i]->setChecked(static_cast<int>(i) == kind_ - 1);
        kinds_[i]->update();
    }
    bool enable = false;
    switch (kind_) {
    case SourceSdCard:
        enable = drives_->currentIndex() >= 0;
        break;
    case SourceFolder:
        enable = !folderEdit_->text().isEmpty();
        break;
    case SourceFile:
        enable = !fileEdit_->text().isEmpty();
        break;
    default:
        break;
    }
    ok_->setEnabled(enable);
}

void CSourceOpenDlg::BrowseFolder() {
    const std::filesystem::path chosen = BrowseForFolder(this, "SOURCE", "FOLDER", UiQText(104));
    if (chosen.empty())
        return;
    folder_ = chosen.string();
    folderEdit_->setText(QString::fromStdString(folder_));
    SelectKind(IdFolder);
}

void CSourceOpenDlg::BrowseFile() {
    const QString start =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("*.mov"));
    const QString chosen = QFileDialog::getOpenFileName(
        this, QString(), start, QStringLiteral("Movie Files (*.mov *.mp4);;All Files (*)"));
    if (chosen.isEmpty())
        return;
    file_ = chosen.toStdString();
    fileEdit_->setText(chosen);
    SelectKind(IdFile);
}

void CSourceOpenDlg::OnOk() {
    if (drives_->currentIndex() >= 0)
        drive_ = drives_->currentText().toStdString();
    folder_ = folderEdit_->text().toStdString();
    file_ = fileEdit_->text().toStdString();
    if (kind_ >= SourceSdCard && kind_ <= SourceFile) {
        const char* key = kSelectValues[kind_ - 1];
        WriteSetting("SOURCE", "SELECT", key);
        WriteSetting("SOURCE", key, ChosenPath());
    }
    accept();
}

std::string CSourceOpenDlg::ChosenPath() const {
    switch (kind_) {
    case SourceSdCard:
        return drive_;
    case SourceFolder:
        return folder_;
    case SourceFile:
        return file_;
    default:
        return {};
    }
}

std::optional<std::filesystem::path> CSourceOpenDlg::PathToOpen(const std::string& chosen) {
    std::string path = chosen;
    std::error_code ec;
    if (path.size() > 1 && path.back() == '/' && std::filesystem::exists(path, ec))
        path.pop_back();
    if (!path.empty() && !std::filesystem::exists(path, ec))
        return std::nullopt;
    return std::filesystem::path(path);
}

} // namespace kestrel
