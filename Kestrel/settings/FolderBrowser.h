#pragma once
// The folder picker every command that asks for a folder uses: it opens on the folder last
// stored under a settings key, or on the settings folder when nothing is stored yet.
#include <QString>
#include <QUrl>

#include <filesystem>
#include <string_view>

class QWidget;

namespace kestrel {

class FolderBrowser {
  public:
    // The folder the picker opens on: the value of section/key, or the settings folder when
    // that value is empty.
    static std::filesystem::path StartFolder(std::string_view section, std::string_view key);

    // The folder behind a picked item; empty when the item has no place in the file system.
    static std::filesystem::path LocalFolderOf(const QUrl& picked);
};

// Shows the picker with `title` over `owner`. Returns the chosen folder, or an empty path when
// the user cancels. An item without a file-system path is reported ("ERROR") and gives an
// empty path.
std::filesystem::path BrowseForFolder(QWidget* owner, std::string_view section,
                                      std::string_view key, const QString& title);

} // namespace kestrel
