// The file panel over a generated card, a folder and single files: the tree with its kind
// masks and badges, the rows after the filter, the names, colours, the watched paths and
// reading a folder again at every selection.
#include "AppTestSupport.h"
#include "CardFixture.h"
#include "engine/EngineApi.h"
#include "settings/SettingsStore.h"
#include "skin/CMovieResource.h"
#include "skin/CSkinCheckButton.h"
#include "sources/CFileListCtrl.h"
#include "sources/CFilerContainerDlg.h"
#include "sources/CFolderTreeCtrl.h"
#include "sources/KindBadge.h"

#include <QLineEdit>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <fstream>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using test::PumpUntil;

std::vector<std::string> RowNames(const CFilerContainerDlg& panel) {
    std::vector<std::string> names;
    for (int i = 0; i < panel.RowCount(); ++i)
        names.push_back(panel.Row(i)->FileName);
    return names;
}

std::vector<std::string> Names(const Catalogue& catalogue) {
    std::vector<std::string> names;
    for (const RecordingEntry& entry : catalogue)
        names.push_back(entry.FileName);
    return names;
}

// A panel whose folder selections load the folder, as the main window does.
class FilePanel : public ::testing::Test {
  protected:
    FilePanel() : panel_(&owner_, nullptr) {
        api_ = &GetEngineApi();
        api_->Init(engine_, nullptr, "メイリオ");
        engine_.Ready = 1;
        panel_.SetEngine(api_, &engine_);
        panel_.resize(452, 244);
        QObject::connect(&panel_, &CFilerContainerDlg::FolderSelected, &panel_,
                         [this](QTreeWidgetItem*, QTreeWidgetItem* item) {
                             if (item)
                                 panel_.LoadFolder(item, false);
                         });
    }
    ~FilePanel() override {
        engine_.Ready = 0;
        api_->Shutdown(engine_);
    }

    const test::SmallCard& card_ = test::SmallCard::Get();
    test::TempWorkDir dir_;
    const EngineApi* api_ = nullptr;
    EngineContext engine_;
    test::MessageRecorder owner_;
    CFilerContainerDlg panel_;
};

TEST_F(FilePanel, CardShowsItsDayFoldersWithTheirKindsAndListsTheFirst) {
    const fs::path copy = card_.CopyTo(dir_.Path() / "card");
    panel_.OpenSource(copy, 1);
    CFolderTreeCtrl& tree = *panel_.Tree();
    EXPECT_EQ(tree.BasePath, copy / "DCIM");
    EXPECT_FALSE(fs::exists(copy / "DCIM" / "102_EMPTY"))
        << "an empty folder of the card is pruned";
    EXPECT_TRUE(fs::exists(copy / "DCIM" / "103_TEXT" / "README.TXT")) << "no file is deleted";
    ASSERT_EQ(tree.topLevelItemCount(), 2) << "folders without recordings get no item";
    const struct {
        const char* Name;
        KindMask Mask;
    } folders[] = {{"100_0501", 0x01},
                   {"101_0502", 0x01 | 0x02 | 0x04 | 0x08 | 0x10 | 0x20 | 0x40}};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(folders[i].Name);
        QTreeWidgetItem* item = tree.topLevelItem(i);
        EXPECT_EQ(item->text(0).toStdString(), folders[i].Name);
        EXPECT_EQ(CFolderTreeCtrl::ItemValue(item), folders[i].Mask);
        EXPECT_EQ(tree.ItemPath(item), copy / "DCIM" / folders[i].Name);
    }
    EXPECT_EQ(panel_.FolderEntries.size(), 2u);
    EXPECT_EQ(tree.currentItem(), tree.topLevelItem(0));
    EXPECT_EQ(tree.CurrentItem, tree.topLevelItem(0));
    EXPECT_EQ(RowNames(panel_),
              (std::vector<std::string>{"240501_235956_A.MOV", "240501_235958_A.MOV"}));
    EXPECT_EQ(panel_.PathDisplay()->text().toStdString(), (copy / "DCIM" / "100_0501").string());
    EXPECT_EQ(panel_.CountText(), QStringLiteral("2個"));
    EXPECT_EQ(panel_.Watcher().WatchedPath(), copy / "DCIM");
    EXPECT_FALSE(panel_.FirmwareVersion.empty()) << "read from the newest folder's first recording";

    // Every recording of the card, for the export: folder blocks in order.
    const Catalogue& all = panel_.CollectAllRecordings();
    ASSERT_EQ(all.size(), 12u);
    EXPECT_EQ(all.front().FileName, "240501_235956_A.MOV");
    EXPECT_EQ(all.back().FileName, "240502_000018_U.MOV");
}

TEST_F(FilePanel, KindFiltersRefillTheListInCatalogueOrderAndSelectTheFirstRow) {
    panel_.OpenSource(card_.Root(), 1);
    panel_.Tree()->setCurrentItem(panel_.Tree()->topLevelItem(1));
    const std::vector<std::string> all = RowNames(panel_);
    ASSERT_EQ(all.size(), 10u);
    std::vector<int> selected;
    QObject::connect(&panel_, &CFilerContainerDlg::RowSelected, &panel_,
                     [&](int row) { selected.push_back(row); });

    const struct {
        int Filter;
        std::vector<char> Hidden; // kinds no longer listed
    } cases[] = {{0, {'A'}}, {1, {'G'}}, {2, {'M'}}, {3, {'P', 'T'}}, {4, {'S', 'U'}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Filter);
        selected.clear();
        panel_.SetKindFilter(c.Filter, 0);
        EXPECT_FALSE(panel_.FilterButton(c.Filter)->isChecked());
        std::vector<std::string> expected;
        for (const std::string& name : all) {
            const char kind = name[name.size() - 5];
            if (std::find(c.Hidden.begin(), c.Hidden.end(), kind) == c.Hidden.end())
                expected.push_back(name);
        }
        EXPECT_EQ(RowNames(panel_), expected);
        EXPECT_EQ(selected, std::vector<int>{0});
        EXPECT_EQ(panel_.List()->CurrentRow, 0);
        panel_.SetKindFilter(c.Filter, 1);
        EXPECT_EQ(RowNames(panel_), all) << "back in catalogue order";
    }
    // All five off: the speed-camera and radar recordings have no button and stay.
    for (int i = 0; i < 5; ++i)
        panel_.SetKindFilter(i, 0);
    EXPECT_EQ(RowNames(panel_),
              (std::vector<std::string>{"240502_000006_O.MOV", "240502_000008_R.MOV"}));
}

TEST_F(FilePanel, TheListsScrollBarStaysAndIsUsableOnlyWhenTheRowsOverflow) {
    panel_.show();
    panel_.resize(452, 244); // room for nine rows
    panel_.PlaceControls(CFilerContainerDlg::SideBySide);
    panel_.OpenSource(card_.Root(), 1);
    QScrollBar* bar = panel_.List()->verticalScrollBar();
    ASSERT_TRUE(PumpUntil([&] { return bar->isVisible(); }, 1000));
    EXPECT_FALSE(bar->isEnabled()) << "two rows fit";
    panel_.Tree()->setCurrentItem(panel_.Tree()->topLevelItem(1));
    EXPECT_TRUE(PumpUntil([&] { return bar->isEnabled(); }, 1000)) << "ten rows do not";
    EXPECT_TRUE(bar->isVisible());
    panel_.ClearSource();
    EXPECT_TRUE(PumpUntil([&] { return !bar->isEnabled(); }, 1000));
    EXPECT_TRUE(bar->isVisible());
}

TEST_F(FilePanel, AFolderIsReadFromDiskAgainEachTimeItIsSelected) {
    const fs::path copy = card_.CopyTo(dir_.Path() / "card");
    panel_.OpenSource(copy, 1);
    ASSERT_EQ(panel_.RowCount(), 2);
    fs::copy_file(copy / "DCIM" / "101_0502" / "240502_000000_G.MOV",
                  copy / "DCIM" / "100_0501" / "240501_235959_G.MOV");
    panel_.Tree()->setCurrentItem(panel_.Tree()->topLevelItem(1));
    panel_.Tree()->setCurrentItem(panel_.Tree()->topLevelItem(0));
    EXPECT_EQ(panel_.RowCount(), 3);
    EXPECT_EQ(panel_.Row(2)->FileName, "240501_235959_G.MOV");
    EXPECT_EQ(panel_.Row(2)->ListIndex, 2);
}

TEST_F(FilePanel, FolderSourceIsOneItemNamedAfterTheFolderUnderItsParent) {
    panel_.OpenSource(card_.SecondFolder().string() + "/", 2);
    CFolderTreeCtrl& tree = *panel_.Tree();
    EXPECT_EQ(panel_.SourcePath, card_.SecondFolder());
    EXPECT_EQ(tree.BasePath, card_.Dcim());
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    EXPECT_EQ(tree.topLevelItem(0)->text(0), QStringLiteral("101_0502"));
    EXPECT_EQ(CFolderTreeCtrl::ItemValue(tree.topLevelItem(0)), 0u)
        << "no kind mask outside a card";
    EXPECT_EQ(panel_.RowCount(), 10);
    EXPECT_EQ(panel_.Watcher().WatchedPath(), card_.Dcim()) << "the folder's parent";
    EXPECT_EQ(Names(panel_.CollectAllRecordings()), RowNames(panel_));
}

TEST_F(FilePanel, SingleFileIsListedOnlyWhenTheRecorderWroteIt) {
    const fs::path movie = card_.FirstFolder() / "240501_235956_A.MOV";
    panel_.OpenSource(movie, 3);
    EXPECT_EQ(panel_.Tree()->topLevelItemCount(), 0);
    EXPECT_EQ(RowNames(panel_), std::vector<std::string>{"240501_235956_A.MOV"});
    EXPECT_EQ(panel_.List()->CurrentRow, 0);
    EXPECT_EQ(panel_.PathDisplay()->text().toStdString(), card_.FirstFolder().string());
    EXPECT_EQ(panel_.Watcher().WatchedPath(), movie);

    const fs::path text = card_.Dcim() / "103_TEXT" / "README.TXT";
    const fs::path fake = dir_.Path() / "FAKE_A.MOV";
    fs::copy_file(text, fake);
    panel_.OpenSource(fake, 3);
    EXPECT_EQ(panel_.RowCount(), 0);
    EXPECT_TRUE(panel_.Watcher().WatchedPath().empty());
}

TEST_F(FilePanel, InitialSourceTakesACardFirstThenTheStoredFolderThenTheFile) {
    SettingsStore::CaptureSettingsFolder();
    const fs::path file = card_.FirstFolder() / "240501_235958_A.MOV";
    {
        test::ScopedEnv env("KESTREL_REMOVABLE_ROOTS",
                            "/nonexistent/card:" + card_.Root().string());
        WriteSetting("SOURCE", "SELECT", "FOLDER");
        WriteSetting("SOURCE", "FOLDER", card_.SecondFolder().string());
        EXPECT_TRUE(panel_.OpenInitialSource());
        EXPECT_EQ(panel_.SourceKind, 1) << "an inserted card wins";
        EXPECT_EQ(panel_.SourcePath, card_.Root());
    }
    test::ScopedEnv env("KESTREL_REMOVABLE_ROOTS", "/nonexistent/card");
    EXPECT_TRUE(panel_.OpenInitialSource());
    EXPECT_EQ(panel_.SourceKind, 2);
    EXPECT_EQ(panel_.RowCount(), 10);

    WriteSetting("SOURCE", "FOLDER", (dir_.Path() / "gone").string());
    WriteSetting("SOURCE", "FILE", file.string());
    EXPECT_FALSE(panel_.OpenInitialSource()) << "a file makes no tree item";
    EXPECT_EQ(panel_.SourceKind, 3);
    EXPECT_EQ(panel_.RowCount(), 1) << "what was built stays shown";

    WriteSetting("SOURCE", "FILE", "");
    EXPECT_FALSE(panel_.OpenInitialSource());
}

TEST_F(FilePanel, BothLayoutsPlaceTheControlsAndCollapsingHidesThem) {
    panel_.resize(452, 244);
    panel_.PlaceControls(CFilerContainerDlg::SideBySide);
    EXPECT_EQ(panel_.PathDisplay()->geometry(), QRect(4, 5, 382, 22));
    EXPECT_EQ(panel_.Tree()->geometry(), QRect(4, 48, 217, 244 - 52));
    EXPECT_EQ(panel_.List()->geometry(), QRect(224, 48, 224, 244 - 52));
    panel_.resize(240, 636);
    panel_.PlaceControls(CFilerContainerDlg::Stacked);
    EXPECT_EQ(panel_.Tree()->geometry(), QRect(4, 54, 232, 284));
    EXPECT_EQ(panel_.List()->geometry(), QRect(4, 386, 232, 636 - 390));
    for (int i = 0; i < 5; ++i) {
        const QRect button = panel_.FilterButton(i)->geometry();
        EXPECT_LE(button.right(), 240) << "filter " << i << " fits the narrow panel";
    }
    panel_.SetCollapsed(true);
    EXPECT_TRUE(panel_.Tree()->isHidden());
    EXPECT_TRUE(panel_.List()->isHidden());
    panel_.SetCollapsed(false);
    EXPECT_FALSE(panel_.Tree()->isHidden());
}

TEST(FileList, ShownNamesStopAtTheFirstDotUnlessThereIsNone) {
    const struct {
        const char* Name;
        const char* Shown;
    } cases[] = {{"240501_235957_A.MOV", "240501_235957_A"},
                 {"a.b.MOV", "a"},
                 {"NODOT", "NODOT"},
                 {".hidden.MOV", ".hidden.MOV"},
                 {"", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(CFileListCtrl::ShownName(c.Name), c.Shown) << c.Name;
}

TEST(FileList, EventKindsAreTintedAndTheCurrentRowIsDarker) {
    const struct {
        RecordingKind Kind;
        QColor Other, Current;
    } cases[] = {
        {KindContinuous, Qt::white, QColor(178, 178, 178)},
        {KindParking, Qt::white, QColor(178, 178, 178)},
        {KindParkingT, Qt::white, QColor(178, 178, 178)},
        {KindNone, Qt::white, QColor(178, 178, 178)},
        {KindImpact, QColor(255, 255, 204), QColor(178, 178, 142)},
        {KindManual, QColor(255, 255, 204), QColor(178, 178, 142)},
        {KindParkingImpact, QColor(255, 255, 204), QColor(178, 178, 142)},
        {KindSpeedCamera, QColor(255, 255, 204), QColor(178, 178, 142)},
        {KindRadar, QColor(255, 255, 204), QColor(178, 178, 142)},
        {KindParkingImpactU, QColor(255, 255, 204), QColor(178, 178, 142)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CFileListCtrl::RowFill(c.Kind, false), c.Other) << c.Kind;
        EXPECT_EQ(CFileListCtrl::RowFill(c.Kind, true), c.Current) << c.Kind;
    }
}

TEST(KindBadge, EachEventKindAddsItsMarkAndContinuousShowsOnlyTheBase) {
    EXPECT_TRUE(KindBadge::Compose(0).isNull()) << "no badge without recordings";
    const QImage base = KindBadge::Compose(0x01);
    ASSERT_EQ(base.size(), QSize(39, 26));
    for (const KindMask bit : KindBadge::kMarkedBits) {
        SCOPED_TRACE(bit);
        const QPoint centre = KindBadge::MarkRect(bit).center();
        EXPECT_NE(base.pixelColor(centre), KindBadge::MarkColour(bit));
        const QImage with = KindBadge::Compose(0x01 | bit);
        EXPECT_EQ(with.pixelColor(centre), KindBadge::MarkColour(bit));
        for (const KindMask other : KindBadge::kMarkedBits) {
            if (other == bit)
                continue;
            EXPECT_EQ(with.pixelColor(KindBadge::MarkRect(other).center()),
                      base.pixelColor(KindBadge::MarkRect(other).center()));
        }
    }
    EXPECT_EQ(KindBadge::Compose(0x02), KindBadge::Compose(0x03).copy()) << "A adds nothing";
}

} // namespace
} // namespace kestrel
