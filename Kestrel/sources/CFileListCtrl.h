#pragma once
// The file panel's list of the recordings of the selected folder, after the kind filter.
// Event recordings are tinted; the current recording's row is drawn darker.
#include "engine/RecordingCatalogue.h"

#include <QListWidget>

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class CFileListCtrl : public QListWidget {
    Q_OBJECT
  public:
    static constexpr int kRowHeight = 20;
    static constexpr int kFilterCount = 5;
    static const QColor kCurrentEventFill; // RGB(178, 178, 142)
    static const QColor kCurrentFill;      // RGB(178, 178, 178)
    static const QColor kEventFill;        // RGB(255, 255, 204)
    static const QColor kFrame;            // RGB(136, 136, 136)

    explicit CFileListCtrl(QWidget* parent);

    // The entry of each row, in row order.
    std::vector<RecordingEntry> Rows;
    // 1 = shown: 0 continuous, 1 impact, 2 manual, 3 parking (P, T), 4 parking impact (S, U).
    std::array<int, kFilterCount> KindFilter{1, 1, 1, 1, 1};
    // The row drawn as current, -1 for none.
    int CurrentRow = -1;

    // Fills the rows from `recordings` through the kind filter.
    void Refill(const Catalogue& recordings);

    // The entries of `recordings` the filter shows, in order. Recordings without a kind and
    // the speed-camera and radar kinds, which have no filter button, are always shown.
    static std::vector<RecordingEntry> Filtered(const Catalogue& recordings,
                                                const std::array<int, kFilterCount>& filter);
    // The name a row shows: up to the first '.', or the whole name when it has none or
    // starts with one.
    static std::string ShownName(std::string_view fileName);
    // G, M, S, O, R and U are event kinds.
    static bool IsEventKind(RecordingKind kind);
    // The fill of a row.
    static QColor RowFill(RecordingKind kind, bool current);

  private:
    class Delegate;
};

} // namespace kestrel
