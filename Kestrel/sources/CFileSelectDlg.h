#pragma once
// The dialog in which the user marks recordings for an operation on several files at once:
// delete (mode 0) and join (mode 2). It lists names and sizes, keeps a running total of the
// marked files, keeps join marks in one unbroken run, enforces the join limits when OK is
// pressed and returns the marked entries.
#include "engine/RecordingCatalogue.h"
#include "skin/CSkinDialog.h"

#include <cstdint>

class QLabel;
class QPushButton;

namespace kestrel {

class CSkinCheckButton;
class CSkinListCtrl;

class CFileSelectDlg : public CSkinDialog {
    Q_OBJECT
  public:
    enum Mode : int { ModeDelete = 0, ModeJoin = 2 };
    enum Control : int {
        IdOk = 1,
        IdList = 1003,
        IdShowAll = 1004,
        IdSelectAll = 1005,
        IdTotal = 1006,
        IdClose = 17
    };
    static constexpr size_t kMaxEntries = 1500;
    static constexpr uint64_t kMaxJoinMb = 1024;
    static constexpr int kMaxJoinFiles = 99;
    static const QColor kJoinedText;       // RGB(255, 0, 255)
    static const QColor kJoinedBackground; // RGB(255, 255, 0)

    explicit CFileSelectDlg(QWidget* parent = nullptr);

    // Copies the first 1500 entries; false when the list held more.
    bool SetAllEntries(const Catalogue& list);
    // Copies the first 1500 entries; when the list held more, says so ("ERROR").
    void SetListEntries(const Catalogue& list);

    // Set before the dialog is shown.
    int SelectMode = ModeDelete;

    // Builds the controls for the mode; exec() does it when it has not been done.
    void Prepare();
    int exec() override;

    // Marks or unmarks `row` as a click on it does.
    void ToggleRow(int row);
    // Presses a check button (IdShowAll or IdSelectAll).
    void PressCheck(int id);
    // Presses OK: the limits are checked here.
    void PressOk();

    // The text "%llu MB" of a file size, the second column.
    static QString SizeText(uint64_t bytes);
    // "%I64d MB" of a total.
    static QString TotalText(uint64_t bytes);

    CSkinListCtrl* List() const { return list_; }
    QLabel* TotalLabel() const { return total_; }
    QPushButton* OkButton() const { return ok_; }
    CSkinCheckButton* ShowAllButton() const { return showAllButton_; }
    CSkinCheckButton* SelectAllButton() const { return selectAllButton_; }
    int RowCount() const;
    bool IsMarked(int row) const;

    const Catalogue& ShownEntries() const { return shown_; }
    const Catalogue& Result() const { return result_; }
    int ShowAll = 0;
    int SelectAll = 0;
    int RunStart = -1;
    int RunEnd = -1;
    int SizeOver = 0;
    int TooMany = 0;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Populate(int showAll);
    int UpdateTotal();
    void OnRowChanged(int row, bool marked);
    void ApplyRunRule(int row, bool marked);
    void RecomputeRun();
    void SetMarked(int row, bool marked);
    void PlaceControls();

    Catalogue shown_;
    Catalogue listEntries_;
    Catalogue allEntries_;
    Catalogue result_;
    bool prepared_ = false;

    CSkinListCtrl* list_ = nullptr;
    QLabel* total_ = nullptr;
    QPushButton* ok_ = nullptr;
    CSkinCheckButton* showAllButton_ = nullptr;
    CSkinCheckButton* selectAllButton_ = nullptr;
};

} // namespace kestrel
