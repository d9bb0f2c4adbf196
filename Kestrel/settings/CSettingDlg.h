#pragma once
// The settings pop-up: four switches for the kinds of event markers that the G-sensor graph
// and the map show, and the program's version. It is made once, hidden, when the main window
// starts; its close button only hides it, so the switches keep their states for the run (they
// are not stored: every start begins with all four on).
#include "skin/CSkinDialog.h"

#include <QString>
#include <QStringList>

#include <array>

class QFontMetrics;
class QGroupBox;
class QLabel;

namespace kestrel {

class CSkinCheckButton;

class CSettingDlg : public CSkinDialog {
    Q_OBJECT
  public:
    static constexpr int kToggleCount = 4;
    // Check buttons 32968..32971: drive support, emergency recording stop, parking impact,
    // speeding.
    static constexpr int kFirstToggleId = 32968;
    static constexpr int kVersionTextId = 32981;
    static constexpr int kCloseId = 16;
    static constexpr int kWidth = 460;
    static constexpr int kHeight = 400;
    // The viewer's version as the maker's site compares it.
    static constexpr const char* kProgramVersion = "2.0.0.0";

    // `owner` is the main window: toggles are posted to it.
    explicit CSettingDlg(QWidget* owner);

    // 1 when toggle `index` (0..3) is on, 0 when it is off or there is no such toggle.
    int ToggleState(int index) const;
    CSkinCheckButton* Toggle(int index) const { return toggles_.at(static_cast<size_t>(index)); }
    QLabel* VersionText() const { return version_; }
    QLabel* KeysText() const { return keys_; }

    // The version text: "version 2.0.0.0", then Kestrel's own version and the libraries it
    // runs on.
    static QString VersionLines();
    // The keys of the main window and their commands, one entry each.
    static QStringList KeyEntries();
    // The entries in lines of at most `width` pixels, for the text under the version text.
    static QString KeyLines(const QFontMetrics& metrics, int width);

  private:
    void OnToggle(int index);

    QWidget* owner_;
    std::array<CSkinCheckButton*, kToggleCount> toggles_{};
    QGroupBox* markerGroup_ = nullptr;
    QGroupBox* versionGroup_ = nullptr;
    QLabel* version_ = nullptr;
    QLabel* keys_ = nullptr;
};

} // namespace kestrel
