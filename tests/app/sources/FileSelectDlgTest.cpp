// The recording list dialog on its own: the columns, the marks and the run rule of the join,
// the total and its limits, the check buttons, the highlighted joined entries and the window.
#include "AppTestSupport.h"
#include "jobs/JobTestSupport.h"
#include "skin/CSkinButton.h"
#include "skin/CSkinCheckButton.h"
#include "skin/CSkinListCtrl.h"
#include "sources/CFileSelectDlg.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace kestrel {
namespace {

using Shown = test::ModalDriver::Shown;
constexpr uint64_t kMb = 1 << 20;

Catalogue Entries(int count, uint64_t size = 3 * kMb, const char* extension = ".MOV") {
    Catalogue list;
    for (int i = 0; i < count; ++i) {
        RecordingEntry e;
        e.FileName = "240501_1000" + std::to_string(10 + i) + "_A" + extension;
        e.FullPath = "/card/DCIM/100_0501/" + e.FileName;
        e.ListIndex = i;
        e.FileSize = size;
        list.push_back(e);
    }
    return list;
}

std::vector<int> MarkedRows(const CFileSelectDlg& dialog) {
    std::vector<int> rows;
    for (int r = 0; r < dialog.RowCount(); ++r) {
        if (dialog.IsMarked(r))
            rows.push_back(r);
    }
    return rows;
}

struct Dialog {
    explicit Dialog(int mode, const Catalogue& list) {
        dlg.SelectMode = mode;
        dlg.SetListEntries(list);
        dlg.Prepare();
    }
    CFileSelectDlg dlg;
};

TEST(FileSelectDlg, ShowsNamesAndSizesAndLaysOutForItsMode) {
    Catalogue list = Entries(3);
    list[1].FileSize = 5 * kMb + kMb - 1; // sizes are cut to whole megabytes
    Dialog del(CFileSelectDlg::ModeDelete, list);
    CFileSelectDlg& d = del.dlg;
    EXPECT_EQ(QSize(470, 500), d.size());
    EXPECT_EQ(QString::fromUtf8("削除"), d.windowTitle());
    EXPECT_EQ(QString::fromUtf8("削除"), d.OkButton()->text());
    EXPECT_FALSE(d.OkButton()->isEnabled());
    EXPECT_EQ(QString::fromUtf8("ファイル名"), d.List()->headerItem()->text(0));
    EXPECT_EQ(QString::fromUtf8("ファイルサイズ"), d.List()->headerItem()->text(1));
    EXPECT_EQ(QRect(10, 30, 450, 360), d.List()->geometry());
    EXPECT_EQ(QRect(310, 430, 140, 20), d.TotalLabel()->geometry());
    EXPECT_EQ(QRect(340, 460, 120, 30), d.OkButton()->geometry());
    EXPECT_EQ(QString("5 MB"), d.List()->topLevelItem(1)->text(1));
    EXPECT_EQ(QString("0 MB"), d.TotalLabel()->text());
    EXPECT_EQ(CSkinListCtrl::Unmarked, d.List()->StateImageOf(0));
    ASSERT_TRUE(d.CloseButton());
    EXPECT_EQ(CFileSelectDlg::IdClose, d.CloseButton()->Id());
    EXPECT_FALSE(d.ShowAllButton()->isHidden());

    // A join lists only movies; it has no "show all".
    Catalogue mixed = Entries(3);
    mixed[1].FullPath = "/card/notes.txt";
    mixed[2].FullPath = "/card/b.Movie"; // the extension holds ".MOV", in any case
    Dialog join(CFileSelectDlg::ModeJoin, mixed);
    EXPECT_EQ(QString::fromUtf8("動画連結"), join.dlg.windowTitle());
    EXPECT_EQ(QString::fromUtf8("次へ"), join.dlg.OkButton()->text());
    EXPECT_TRUE(join.dlg.ShowAllButton()->isHidden());
    EXPECT_EQ(2, join.dlg.RowCount());
}

TEST(FileSelectDlg, JoinMarksStayOneUnbrokenRun) {
    struct Step {
        int Row;
        std::vector<int> Marked;
    };
    const struct {
        const char* Name;
        std::vector<Step> Steps;
    } cases[] = {
        {"forwards", {{2, {2}}, {5, {2, 3, 4, 5}}, {4, {2, 3}}}},
        {"backwards", {{5, {5}}, {1, {1, 2, 3, 4, 5}}}},
        {"the first row of the run", {{2, {2}}, {4, {2, 3, 4}}, {2, {3, 4}}}},
        {"the last mark", {{3, {3}}, {3, {}}, {6, {6}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Dialog join(CFileSelectDlg::ModeJoin, Entries(8));
        for (const Step& step : c.Steps) {
            join.dlg.ToggleRow(step.Row);
            EXPECT_EQ(step.Marked, MarkedRows(join.dlg)) << "after row " << step.Row;
            EXPECT_EQ(step.Marked.size() > 1, join.dlg.OkButton()->isEnabled());
        }
    }
    // Deleting marks rows one by one, without a run.
    Dialog del(CFileSelectDlg::ModeDelete, Entries(8));
    del.dlg.ToggleRow(2);
    EXPECT_TRUE(del.dlg.OkButton()->isEnabled());
    del.dlg.ToggleRow(5);
    EXPECT_EQ((std::vector<int>{2, 5}), MarkedRows(del.dlg));
    EXPECT_EQ(QString("6 MB"), del.dlg.TotalLabel()->text());
}

TEST(FileSelectDlg, JoinLimitsAreCheckedWhenOkIsPressed) {
    test::ModalDriver driver;
    const struct {
        const char* Name;
        int Files;
        uint64_t Size;
        const char* Message; // nullptr: accepted
    } cases[] = {
        {"99 files", 99, 10 * kMb, nullptr},
        {"100 files", 100, 10 * kMb, "ファイル数を減らしてください。"},
        {"exactly 1024 MB", 2, 512 * kMb, nullptr},
        {"1025 MB", 2, 512 * kMb + kMb / 2, "サイズオーバーです。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        driver.Messages.clear();
        Dialog join(CFileSelectDlg::ModeJoin, Entries(c.Files, c.Size));
        join.dlg.ToggleRow(0);
        join.dlg.ToggleRow(c.Files - 1);
        ASSERT_EQ(c.Files, static_cast<int>(MarkedRows(join.dlg).size()));
        const bool over = c.Message && std::string(c.Message) == "サイズオーバーです。";
        EXPECT_EQ(over, join.dlg.SizeOver != 0);
        EXPECT_EQ(over ? QColor(255, 0, 0) : QColor(0, 0, 0),
                  join.dlg.TotalLabel()->palette().color(QPalette::WindowText));
        join.dlg.show();
        join.dlg.PressOk();
        if (c.Message) {
            EXPECT_EQ(std::vector<Shown>{Shown({c.Message, "ERROR"})}, driver.Messages);
            EXPECT_TRUE(join.dlg.isVisible()) << "the dialog stays open";
            EXPECT_TRUE(join.dlg.Result().empty());
        } else {
            EXPECT_TRUE(driver.Messages.empty());
            EXPECT_EQ(QDialog::Accepted, join.dlg.result());
            EXPECT_EQ(static_cast<size_t>(c.Files), join.dlg.Result().size());
            EXPECT_EQ(join.dlg.ShownEntries().back().FileName, join.dlg.Result().back().FileName);
        }
    }
}

TEST(FileSelectDlg, CheckButtonsRefillTheListAndDropTheMarks) {
    Catalogue all = Entries(6);
    Dialog del(CFileSelectDlg::ModeDelete, Entries(3));
    CFileSelectDlg& d = del.dlg;
    EXPECT_TRUE(d.SetAllEntries(all));
    d.ToggleRow(1);
    d.PressCheck(CFileSelectDlg::IdShowAll);
    EXPECT_EQ(6, d.RowCount());
    EXPECT_TRUE(MarkedRows(d).empty());
    EXPECT_FALSE(d.OkButton()->isEnabled());
    d.PressCheck(CFileSelectDlg::IdSelectAll);
    EXPECT_EQ(6u, MarkedRows(d).size());
    EXPECT_EQ(QString("18 MB"), d.TotalLabel()->text());
    d.PressCheck(CFileSelectDlg::IdShowAll);
    EXPECT_EQ(3, d.RowCount());
    EXPECT_EQ(3u, MarkedRows(d).size()) << "select all still holds";
    d.PressCheck(CFileSelectDlg::IdSelectAll);
    EXPECT_TRUE(MarkedRows(d).empty());
    EXPECT_FALSE(d.OkButton()->isEnabled()) << "no marks, no OK";

    // In a join, select all marks one run.
    Dialog join(CFileSelectDlg::ModeJoin, Entries(4));
    join.dlg.PressCheck(CFileSelectDlg::IdSelectAll);
    EXPECT_EQ(0, join.dlg.RunStart);
    EXPECT_EQ(4, join.dlg.RunEnd);
    join.dlg.ToggleRow(2);
    EXPECT_EQ((std::vector<int>{0, 1}), MarkedRows(join.dlg));
}

TEST(FileSelectDlg, AtMost1500EntriesAreOffered) {
    test::ModalDriver driver;
    CFileSelectDlg d;
    EXPECT_FALSE(d.SetAllEntries(Entries(1501)));
    EXPECT_TRUE(driver.Messages.empty());
    d.SetListEntries(Entries(1501));
    EXPECT_EQ(
        std::vector<Shown>{Shown({"表示数が1500を超えています。1500項目表示します。", "ERROR"})},
        driver.Messages);
    d.Prepare();
    EXPECT_EQ(1500, d.RowCount());
    EXPECT_TRUE(d.SetAllEntries(Entries(1500)));
}

TEST(FileSelectDlg, JoinedEntriesStandOutAndTheDialogIsDraggedByItsTop) {
    Catalogue list = Entries(3);
    list[1].Checked = 1;
    Dialog join(CFileSelectDlg::ModeJoin, list);
    QTreeWidgetItem* joined = join.dlg.List()->topLevelItem(1);
    EXPECT_EQ(QColor(255, 0, 255), joined->foreground(0).color());
    EXPECT_EQ(QColor(255, 255, 0), joined->background(1).color());
    EXPECT_EQ(Qt::NoBrush, join.dlg.List()->topLevelItem(0)->background(0).style());
    // Only in the join list.
    Dialog del(CFileSelectDlg::ModeDelete, list);
    EXPECT_EQ(Qt::NoBrush, del.dlg.List()->topLevelItem(1)->background(0).style());

    join.dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&join.dlg));
    // Screenshots of both modes, with marks.
    join.dlg.ToggleRow(0);
    join.dlg.ToggleRow(2);
    QDir().mkpath(QStringLiteral(KESTREL_SCREENSHOT_DIR));
    join.dlg.grab().save(QStringLiteral(KESTREL_SCREENSHOT_DIR "/list-dialog-join.png"));
    del.dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&del.dlg));
    del.dlg.ToggleRow(1);
    del.dlg.grab().save(QStringLiteral(KESTREL_SCREENSHOT_DIR "/list-dialog-delete.png"));

    const QPoint start = join.dlg.pos();
    QTest::mousePress(&join.dlg, Qt::LeftButton, Qt::NoModifier, QPoint(100, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(140, 30), join.dlg.mapToGlobal(QPointF(140, 30)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&join.dlg, &move);
    QTest::mouseRelease(&join.dlg, Qt::LeftButton, Qt::NoModifier, QPoint(140, 30));
    EXPECT_EQ(start + QPoint(40, 20), join.dlg.pos());

    // The close button cancels.
    QTest::mouseClick(join.dlg.CloseButton(), Qt::LeftButton);
    EXPECT_EQ(QDialog::Rejected, join.dlg.result());
    EXPECT_FALSE(join.dlg.isVisible());
}

} // namespace
} // namespace kestrel
