#pragma once
// The dialog in which the user picks the source: the recorder's card (one of the removable
// drives), a folder or one movie file. The choice is remembered in the SOURCE section.
#include "skin/CSkinDialog.h"

#include <QString>

#include <array>
#include <filesystem>
#include <optional>
#include <string>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace kestrel {

class CSkinCheckButton;

class CSourceOpenDlg : public CSkinDialog {
    Q_OBJECT
  public:
    enum Control : int {
        IdSdCard = 39000,
        IdFolder = 39001,
        IdFile = 39002,
        IdFolderBrowse = 39003,
        IdFileBrowse = 39004,
        IdDriveList = 39100,
        IdFolderEdit = 39200,
        IdFileEdit = 39201,
        IdOk = 1,
        IdClose = 18,
    };
    static constexpr int kWidth = 540;
    static constexpr int kHeight = 250;

    explicit CSourceOpenDlg(QWidget* parent = nullptr);

    // Selects kind command `id` (39000 card, 39001 folder, 39002 file) and decides, only now,
    // whether OK is enabled.
    void SelectKind(int id);
    // The chosen kind (1 card, 2 folder, 3 file; 0 none) and its path text.
    int Kind() const { return kind_; }
    std::string ChosenPath() const;

    // The path to open for the chosen text: one trailing '/' dropped; nothing when the path
    // is not empty and does not exist.
    static std::optional<std::filesystem::path> PathToOpen(const std::string& chosen);

    CSkinCheckButton* KindButton(int kind) const {
        return kinds_.at(static_cast<size_t>(kind - 1));
    }
    QComboBox* DriveList() const { return drives_; }
    QLineEdit* FolderEdit() const { return folderEdit_; }
    QLineEdit* FileEdit() const { return fileEdit_; }
    QPushButton* OkButton() const { return ok_; }

    // OK: takes the texts, writes the SOURCE keys and closes the dialog accepted.
    void OnOk();

  private:
    void CreateControls();
    void ReadSettings();
    void BrowseFolder();
    void BrowseFile();

    std::array<CSkinCheckButton*, 3> kinds_{};
    QComboBox* drives_ = nullptr;
    QLineEdit* folderEdit_ = nullptr;
    QLineEdit* fileEdit_ = nullptr;
    QPushButton* folderBrowse_ = nullptr;
    QPushButton* fileBrowse_ = nullptr;
    QPushButton* ok_ = nullptr;
    std::string folder_;
    std::string file_;
    std::string drive_;
    int kind_ = 0;
};

} // namespace kestrel
