#include "settings/FolderBrowser.h"

#include "shell/UiQText.h"
#include "settings/SettingsStore.h"
#include "skin/CMsgBox.h"

#include <QFileDialog>

namespace kestrel {

std::filesystem::path FolderBrowser::StartFolder(std::string_view section, std::string_view key) {
    const std::string stored = ReadPathSetting(section, key);
    if (stored.empty())
        return SettingsStore::SettingsFolder();
    return std::filesystem::path(stored);
}

std::filesystem::path FolderBrowser::LocalFolderOf(const QUrl& picked) {
    if (!picked.isValid() || !picked.isLocalFile())
        return {};
    const QString local = picked.toLocalFile();
    if (local.isEmpty())
        return {};
    return std::filesystem::path(local.toStdString());
}

std::filesystem::path BrowseForFolder(QWidget* owner, std::string_view section,
                                      std::string_view key, const QString& title) {
    const std::filesystem::path start = FolderBrowser::StartFolder(section, key);
    const QUrl startUrl = QUrl::fromLocalFile(QString::fromStdString(start.string()));
    const QUrl picked =
        QFileDialog::getExistingDirectoryUrl(owner, title, startUrl, QFileDialog::ShowDirsOnly);
    if (picked.isEmpty())
        return {};
    std::filesystem::path folder = FolderBrowser::LocalFolderOf(picked);
    if (folder.empty()) {
        CMsgBox(owner).Show(UiQText(98),
                            CMsgBox::ErrorCaption()); // フォルダパスの取得に失敗しました。
    }
    return folder;
}

} // namespace kestrel
