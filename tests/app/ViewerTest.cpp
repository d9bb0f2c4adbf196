// The viewer as a person uses it, on a generated card that stands in a removable drive: the
// card opens at start-up, a row is opened and played, the slider seeks to exact pictures,
// playback runs on into the next folder, the filters refill the list, the keys drive the
// transport, and pulling the card empties the views.
#include "AppTestSupport.h"
#include "CKestrelDlg.h"
#include "CardFixture.h"
#include "SurfacePattern.h"
#include "WindowSupport.h"
#include "engine/PlaybackPipeline.h"
#include "mkrec/FramePattern.h"
#include "settings/SettingsStore.h"
#include "skin/CSkinButton.h"
#include "skin/CSkinCheckButton.h"
#include "skin/CSkinSliderCtrl.h"
#include "sources/CFileListCtrl.h"
#include "sources/CFilerContainerDlg.h"
#include "sources/CFolderTreeCtrl.h"
#include "sources/CSourceOpenDlg.h"
#include "transport/CTransportController.h"
#include "video/CMovieStatic.h"
#include "views/CInfoDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using test::PumpUntil;


using test::GrabbedPattern;
using test::PictureOfFrame;

class Viewer : public ::testing::Test {
  protected:
    void SetUp() override {
        card_ = test::SmallCard::Get().CopyTo(dir_.Path() / "SDCARD");
        env_ = std::make_unique<test::ScopedEnv>("KESTREL_REMOVABLE_ROOTS", card_.string());
        ASSERT_TRUE(window_.Initialise());
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
        // The keys act in the active window, as they do on a desktop.
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }
    bool WaitLoaded(int timeoutMs = 10000) { return test::WaitRecordingShown(window_, timeoutMs); }
    CTransportController& T() { return window_.Transport(); }
    CFilerContainerDlg& Panel() { return *window_.FilerPanel(); }
    EngineContext& E() { return *window_.Engine(); }
    void Press(int button) { QTest::mouseClick(window_.CommandButton(button), Qt::LeftButton); }

    test::TempWorkDir dir_;
    fs::path card_;
    std::unique_ptr<test::ScopedEnv> env_;
    CKestrelDlg window_;
};

TEST_F(Viewer, TheCardOpensAtStartUpWithItsFoldersAndTheFirstFoldersRecordings) {
    CFolderTreeCtrl& tree = *Panel().Tree();
    ASSERT_EQ(tree.topLevelItemCount(), 2);
    EXPECT_EQ(CFolderTreeCtrl::ItemValue(tree.topLevelItem(0)), 0x01u);
    EXPECT_EQ(CFolderTreeCtrl::ItemValue(tree.topLevelItem(1)), 0x7fu);
    EXPECT_EQ(tree.currentItem(), tree.topLevelItem(0));
    EXPECT_EQ(Panel().RowCount(), test::SmallCard::kFirstFolderCount);
    EXPECT_EQ(window_.CsvBlocked(), 0) << "a card opened at start-up offers the export";
    EXPECT_EQ(T().CurrentIndex(), 0) << "the first row is selected";
    ASSERT_TRUE(WaitLoaded());
    EXPECT_EQ(E().Displayed.Scanner.Path, Panel().Row(0)->FullPath);
    EXPECT_TRUE(window_.CommandButton(2)->isEnabled()) << "play";
    EXPECT_FALSE(window_.CommandButton(0)->isEnabled()) << "to the start, while stopped";
    EXPECT_TRUE(PumpUntil([&] { return GrabbedPattern(*window_.VideoSurface()) == 0; }, 3000));
}

TEST_F(Viewer, PlayAdvancesTheShownFrameWithTheEngineAndTheSliderSeeksToTheFrameAskedFor) {
    ASSERT_TRUE(WaitLoaded());
    Press(2);
    ASSERT_EQ(E().PlayState, kPlayStatePlaying);
    EXPECT_EQ(window_.CommandButton(2)->toolTip(), QString::fromUtf8("一時停止"));
    ASSERT_TRUE(PumpUntil([&] { return window_.InfoView()->Slot >= 15; }, 3000));
    // The shown frame is the engine's, one tick behind at most; the picture on the screen is
    // the one of the engine's frame, a repaint behind at most.
    const int before = GetCurrentFrame(E());
    const int slot = window_.InfoView()->Slot;
    const int grabbed = GrabbedPattern(*window_.VideoSurface());
    const int after = GetCurrentFrame(E());
    EXPECT_GE(slot, before - 6);
    EXPECT_LE(slot, after);
    EXPECT_GE(grabbed, PictureOfFrame(before) - 4);
    EXPECT_LE(grabbed, PictureOfFrame(after) + 1);

    QTest::keyClick(&window_, Qt::Key_Space);
    ASSERT_EQ(E().PlayState, kPlayStatePaused);
    CSkinSliderCtrl& slider = *window_.SeekSlider();
    // Within the last 20 frames the picture stops 20 frames before the end; the readouts
    // show the frame asked for.
    const int max = slider.Max;
    for (const int x : {slider.width() / 3, slider.width() * 3 / 5, 2, slider.width() - 3}) {
        SCOPED_TRACE(x);
        const int frame = slider.PositionFromX(x, 0);
        const int pictureFrame = std::min(frame, max - 20);
        QTest::mouseClick(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(x, 5));
        ASSERT_TRUE(
            PumpUntil([&] { return window_.InfoView()->Slot == std::min(frame, max - 1); }, 2000));
        EXPECT_TRUE(PumpUntil(
            [&] { return GrabbedPattern(*window_.VideoSurface()) == PictureOfFrame(pictureFrame); },
            3000))
            << "frame " << frame << " shows " << GrabbedPattern(*window_.VideoSurface());
        EXPECT_EQ(E().PlayState, kPlayStatePaused);
        EXPECT_EQ(window_.MapPosition().Frame, std::min(frame, max - 1)) << "the map follows";
    }
}

TEST_F(Viewer, TheEndOfTheFirstFolderPlaysOnIntoTheNextFolder) {
    ASSERT_TRUE(WaitLoaded());
    QTest::keyClick(&window_, Qt::Key_PageDown);
    ASSERT_TRUE(
        PumpUntil([&] { return T().CurrentIndex() == 1 && E().PlayState == kPlayStatePlaying; }, 5000));
    // Near the end the play/pause key does nothing.
    const int64_t total = GetTotalFrames(E());
    ASSERT_TRUE(PumpUntil([&] { return GetCurrentFrame(E()) + 20 >= total; }, 5000));
    QTest::keyClick(&window_, Qt::Key_Space);
    EXPECT_EQ(E().PlayState, kPlayStatePlaying);
    ASSERT_TRUE(PumpUntil([&] { return T().NearEndLock() == 1; }, 500)) << "the tick's lock";
    for (int i = 0; i < 12; ++i)
        EXPECT_FALSE(window_.CommandButton(i)->isEnabled()) << "button " << i << " near the end";
    CFolderTreeCtrl& tree = *Panel().Tree();
    ASSERT_TRUE(PumpUntil([&] { return tree.currentItem() == tree.topLevelItem(1); }, 5000));
    ASSERT_TRUE(
        PumpUntil([&] { return E().PlayState == kPlayStatePlaying && T().CurrentIndex() == 0; }, 5000));
    EXPECT_EQ(Panel().RowCount(), test::SmallCard::kSecondFolderCount);
    EXPECT_EQ(E().Displayed.Scanner.Path, Panel().Row(0)->FullPath);
}

TEST_F(Viewer, KindFiltersRefillTheListAndKeysMoveBetweenRecordings) {
    CFolderTreeCtrl& tree = *Panel().Tree();
    tree.setCurrentItem(tree.topLevelItem(1));
    ASSERT_TRUE(WaitLoaded());
    QTest::mouseClick(Panel().FilterButton(0), Qt::LeftButton, Qt::NoModifier, QPoint(6, 10));
    EXPECT_EQ(Panel().RowCount(), 8) << "the two continuous recordings are gone";
    EXPECT_FALSE(Panel().FilterButton(0)->isChecked());
    EXPECT_EQ(Panel().CountText(), QStringLiteral("8個"));
    QTest::mouseClick(Panel().FilterButton(0), Qt::LeftButton, Qt::NoModifier, QPoint(6, 10));
    EXPECT_EQ(Panel().RowCount(), 10);
    ASSERT_TRUE(WaitLoaded());

    QTest::keyClick(&window_, Qt::Key_PageDown);
    EXPECT_EQ(T().CurrentIndex(), 1);
    ASSERT_TRUE(PumpUntil([&] { return E().PlayState == kPlayStatePlaying; }, 5000));
    QTest::keyClick(&window_, Qt::Key_PageUp);
    EXPECT_EQ(T().CurrentIndex(), 0);
    ASSERT_TRUE(PumpUntil([&] { return E().PlayState == kPlayStatePlaying && T().RecordingOpen(); }, 5000));
    ASSERT_TRUE(PumpUntil([&] { return window_.InfoView()->Slot > 10; }, 3000));
    QTest::keyClick(&window_, Qt::Key_Home);
    EXPECT_EQ(window_.InfoView()->Slot, 0);
    EXPECT_NE(E().PlayState, kPlayStatePlaying);
}

TEST_F(Viewer, PullingTheCardOutEmptiesTheViewsWithinAboutATenthOfASecond) {
    ASSERT_TRUE(WaitLoaded());
    Press(2);
    ASSERT_EQ(E().PlayState, kPlayStatePlaying);
    QElapsedTimer clock;
    fs::remove_all(card_);
    clock.start();
    ASSERT_TRUE(PumpUntil([&] { return Panel().RowCount() == 0; }, 2000));
    const qint64 elapsed = clock.elapsed();
    RecordProperty("noticed_ms", static_cast<int>(elapsed));
    EXPECT_LE(elapsed, 250) << "noticed after " << elapsed << " ms";
    EXPECT_EQ(Panel().Tree()->topLevelItemCount(), 0);
    EXPECT_EQ(E().PlayState, 0);
    EXPECT_EQ(T().CurrentIndex(), -1);
    EXPECT_EQ(window_.CsvBlocked(), 1);
    EXPECT_FALSE(window_.IsShutDown());
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(window_.CommandButton(i)->isEnabled(), i == 9) << "button " << i;
}

TEST_F(Viewer, BrowseOpensTheChosenFolderAndRemembersIt) {
    ASSERT_TRUE(WaitLoaded());
    const fs::path folder = card_ / "DCIM" / "101_0502";
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CSourceOpenDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shown = true;
        dialog->FolderEdit()->setText(QString::fromStdString(folder.string() + "/"));
        dialog->SelectKind(CSourceOpenDlg::IdFolder);
        dialog->OnOk();
    });
    window_.OnCommand(CKestrelDlg::IdBrowse);
    ASSERT_TRUE(shown);
    EXPECT_EQ(Panel().SourceKind, 2);
    EXPECT_EQ(Panel().SourcePath, folder) << "the trailing '/' is dropped";
    EXPECT_EQ(Panel().RowCount(), test::SmallCard::kSecondFolderCount);
    EXPECT_EQ(ReadSetting("SOURCE", "SELECT"), "FOLDER");
    EXPECT_EQ(ReadSetting("SOURCE", "FOLDER"), folder.string() + "/");
    EXPECT_EQ(window_.CsvBlocked(), 1) << "the export is offered for a card only";
    EXPECT_TRUE(WaitLoaded()) << "its first row opens";

    // A chosen path that is gone opens nothing and says nothing.
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CSourceOpenDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->FolderEdit()->setText(QString::fromStdString((card_ / "gone").string()));
        dialog->SelectKind(CSourceOpenDlg::IdFolder);
        dialog->OnOk();
    });
    window_.OnCommand(CKestrelDlg::IdBrowse);
    EXPECT_EQ(Panel().SourcePath, folder);
    EXPECT_EQ(Panel().RowCount(), test::SmallCard::kSecondFolderCount);
}

TEST(ViewerStart, APathGivenAtStartUpIsOpenedAsAFolderOrAMovieInsteadOfTheCard) {
    test::TempWorkDir dir;
    const test::SmallCard& card = test::SmallCard::Get();
    test::ScopedEnv env("KESTREL_REMOVABLE_ROOTS", card.Root().string());
    const struct {
        fs::path Path;
        int Kind;
        int Rows;
    } cases[] = {{card.SecondFolder(), 2, test::SmallCard::kSecondFolderCount},
                 {card.FirstFolder() / "240501_235958_A.MOV", 3, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Path);
        CKestrelDlg window;
        ASSERT_TRUE(window.Initialise(c.Path));
        EXPECT_EQ(window.FilerPanel()->SourceKind, c.Kind);
        EXPECT_EQ(window.FilerPanel()->RowCount(), c.Rows);
        EXPECT_EQ(window.CsvBlocked(), 1);
        EXPECT_TRUE(PumpUntil([&] { return window.Engine()->SensorDataLoaded == 1; }, 10000))
            << "the first row opens";
    }
}

TEST(ViewerScreenshots, APlayingRecordingInTheThreeSizes) {
    test::TempWorkDir dir;
    const fs::path card = test::SmallCard::Get().CopyTo(dir.Path() / "SDCARD");
    test::ScopedEnv env("KESTREL_REMOVABLE_ROOTS", card.string());
    CKestrelDlg window;
    ASSERT_TRUE(window.Initialise());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    CFolderTreeCtrl& tree = *window.FilerPanel()->Tree();
    tree.setCurrentItem(tree.topLevelItem(1));
    const char* names[3] = {"playing-small.png", "playing-medium.png", "playing-large.png"};
    fs::create_directories(KESTREL_SCREENSHOT_DIR);
    for (int size = 0; size < 3; ++size) {
        window.FilerPanel()->SelectRow(size + 1);
        ASSERT_TRUE(PumpUntil(
            [&] {
                return window.Engine()->SensorDataLoaded == 1 && window.Transport().RecordingOpen();
            },
            10000));
        window.OnCommand(CKestrelDlg::IdPlayPause);
        ASSERT_TRUE(PumpUntil([&] { return window.InfoView()->Slot >= 25; }, 5000));
        window.OnCommand(CKestrelDlg::IdPlayPause); // hold the picture for the shot
        QTest::qWait(100);
        const QImage shot = window.grab().toImage();
        EXPECT_TRUE(shot.save(
            QString::fromStdString((fs::path(KESTREL_SCREENSHOT_DIR) / names[size]).string())));
        window.OnCommand(CKestrelDlg::IdNextSize);
        QTest::qWait(100);
    }
}

} // namespace
} // namespace kestrel
