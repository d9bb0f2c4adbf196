// Zoom mode, full screen and the context menu in the main window, on the generated card: the
// clicks that zoom, the double clicks that enter and leave full screen with the aspect flag
// applied there only, and the menu's commands.
#include "AppTestSupport.h"
#include "CKestrelDlg.h"
#include "CardFixture.h"
#include "SurfacePattern.h"
#include "WindowSupport.h"
#include "engine/EngineApi.h"
#include "settings/SettingsStore.h"
#include "skin/CSkinButton.h"
#include "skin/CSkinCheckButton.h"
#include "skin/CSkinDialog.h"
#include "sources/CFileListCtrl.h"
#include "sources/CFilerContainerDlg.h"
#include "sources/CFolderTreeCtrl.h"
#include "transport/CTransportController.h"
#include "video/CMovieMenu.h"
#include "video/CMovieStatic.h"
#include "video/VideoModeHandler.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using test::PumpUntil;


class VideoModes : public testing::Test {
  protected:
    void SetUp() override {
        card_ = test::SmallCard::Get().CopyTo(dir_.Path() / "SDCARD");
        env_ = std::make_unique<test::ScopedEnv>("KESTREL_REMOVABLE_ROOTS", card_.string());
        ASSERT_TRUE(window_.Initialise());
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
        ASSERT_TRUE(WaitLoaded());
        ASSERT_TRUE(PumpUntil([&] { return test::GrabbedPattern(Surface()) == 0; }, 3000));
    }
    bool WaitLoaded() { return test::WaitRecordingShown(window_); }
    // A click that stays single: the zoom step comes after the double-click time.
    void Click(QPoint at) {
        QTest::mouseClick(&Surface(), Qt::LeftButton, {}, at);
        QTest::qWait(QApplication::doubleClickInterval() + 60);
    }
    void DoubleClick() {
        const QPoint at = Surface().rect().center();
        QTest::mouseClick(&Surface(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(&Surface(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(&Surface(), Qt::LeftButton, {}, at);
    }
    CMovieStatic& Surface() { return *window_.VideoSurface(); }
    CTransportController& T() { return window_.Transport(); }
    EngineContext& E() { return *window_.Engine(); }
    VideoModeHandler& M() { return window_.VideoModes(); }
    QRect Screen() const { return QGuiApplication::primaryScreen()->geometry(); }

    test::TempWorkDir dir_;
    fs::path card_;
    std::unique_ptr<test::ScopedEnv> env_;
    CKestrelDlg window_;
};

TEST_F(VideoModes, ZoomModeHidesThePanelsControlsAndThreeClicksReturnToTheWholePicture) {
    CFilerContainerDlg& panel = *window_.FilerPanel();
    CSkinButton& zoomButton = *window_.CommandButton(8);
    ASSERT_TRUE(zoomButton.isEnabled());
    QTest::mouseClick(&zoomButton, Qt::LeftButton);
    ASSERT_EQ(M().ZoomMode(), 1);
    EXPECT_FALSE(panel.Tree()->isVisible());
    EXPECT_FALSE(panel.List()->isVisible());
    EXPECT_FALSE(panel.FilterButton(0)->isVisible());
    EXPECT_EQ(zoomButton.PressedLook, 1);
    EXPECT_EQ(Surface().cursor().pixmap().size(), QSize(32, 32));

    const int w = Surface().width();
    const QPoint at(100, 80);
    Click(at);
    EXPECT_EQ(M().Zoom().Scale, 2.0f);
    EXPECT_EQ(QPoint(M().Zoom().AnchorX, M().Zoom().AnchorY), at);
    EXPECT_EQ(E().DestinationRect.Width(), 2 * w) << "the engine places the zoomed picture";
    ASSERT_TRUE(
        PumpUntil([&] { return Surface().Pictures().Destination().width() == 2 * w; }, 2000))
        << "and the surface paints it there";
    Click(QPoint(400, 300));
    EXPECT_EQ(M().Zoom().Scale, 3.0f);
    EXPECT_EQ(E().DestinationRect.Width(), 3 * w);
    Click(QPoint(10, 10));
    EXPECT_EQ(M().Zoom(), ZoomState::ResetFor(SizeSmall));
    EXPECT_EQ(E().DestinationRect, (Rect{0, 0, w, Surface().height()}));

    // Off again: the panel's controls come back and a zoom left standing is undone.
    Click(at);
    ASSERT_EQ(M().Zoom().Scale, 2.0f);
    window_.OnCommand(CKestrelDlg::IdZoom);
    EXPECT_EQ(M().ZoomMode(), 0);
    EXPECT_EQ(M().Zoom(), ZoomState::ResetFor(SizeSmall));
    EXPECT_EQ(E().DestinationRect.Width(), w);
    EXPECT_TRUE(panel.List()->isVisible());
    EXPECT_EQ(zoomButton.PressedLook, 0);
    EXPECT_EQ(Surface().cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(PumpUntil([&] { return test::GrabbedPattern(Surface()) == 0; }, 2000));

    // Outside zoom mode a click does not zoom.
    Click(at);
    EXPECT_EQ(M().Zoom().Scale, 1.0f);
}

TEST_F(VideoModes, ZoomModeWaitsForARecordingAndEndsWhenTheSourceDialogOpens) {
    T().ResetPlaybackViews();
    window_.OnCommand(CKestrelDlg::IdZoom);
    EXPECT_EQ(M().ZoomMode(), 0) << "nothing is open to zoom";

    window_.FilerPanel()->SelectRow(1);
    ASSERT_TRUE(WaitLoaded());
    window_.OnCommand(CKestrelDlg::IdZoom);
    ASSERT_EQ(M().ZoomMode(), 1);
    QTimer::singleShot(0, [] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            dialog->close();
    });
    window_.OnCommand(CKestrelDlg::IdBrowse);
    EXPECT_EQ(M().ZoomMode(), 0);
    EXPECT_FALSE(window_.FilerPanel()->Collapsed);
}

TEST_F(VideoModes, ADoubleClickEntersFullScreenWithTheAspectFlagAndAnotherLeavesIt) {
    ASSERT_EQ(window_.AspectFlag(), 1) << "the first run stores ASPECT=on";
    DoubleClick();
    ASSERT_TRUE(window_.FullScreen());
    ASSERT_TRUE(PumpUntil([&] { return window_.geometry() == Screen(); }, 2000));
    EXPECT_EQ(Surface().geometry(), QRect(QPoint(0, 0), Screen().size()));
    EXPECT_EQ(E().AspectMode, 1);
    EXPECT_TRUE(PumpUntil([&] { return test::GrabbedPattern(Surface()) == 0; }, 3000))
        << "the picture in full screen";

    DoubleClick();
    ASSERT_FALSE(window_.FullScreen());
    EXPECT_EQ(E().AspectMode, 0) << "in the window the picture fills the surface";
    EXPECT_EQ(Surface().geometry(), QRect(6, 24, 656, 373));
    EXPECT_EQ(E().DestinationRect, (Rect{0, 0, 656, 373}));
    EXPECT_TRUE(window_.CommandButton(9)->isVisible());
    EXPECT_TRUE(PumpUntil([&] { return test::GrabbedPattern(Surface()) == 0; }, 3000))
        << "the picture back in the window";
}

TEST_F(VideoModes, TheAspectItemSwitchesTheModeInFullScreenAndStoresIt) {
    DoubleClick();
    ASSERT_TRUE(window_.FullScreen());
    window_.OnCommand(CKestrelDlg::IdAspect);
    EXPECT_EQ(E().AspectMode, 0);
    EXPECT_EQ(window_.AspectFlag(), 0);
    EXPECT_EQ(ReadSetting("DISPLAY", "ASPECT"), "off");
    window_.OnCommand(CKestrelDlg::IdAspect);
    EXPECT_EQ(E().AspectMode, 1);
    EXPECT_EQ(ReadSetting("DISPLAY", "ASPECT"), "on");
    window_.OnCommand(CKestrelDlg::IdAspect);
    DoubleClick();
    ASSERT_FALSE(window_.FullScreen());
    DoubleClick();
    EXPECT_EQ(E().AspectMode, 0) << "the stored flag, stretched, is what full screen uses";
}

TEST_F(VideoModes, NoFullScreenNearTheEndAndFullScreenWithoutARecordingIsLeft) {
    const int64_t total = GetEngineApi().GetTotalFrames(E());
    ASSERT_GT(total, 20);
    GetEngineApi().JumpToFrame(E(), total - 8);
    ASSERT_TRUE(PumpUntil([&] { return GetEngineApi().GetCurrentFrame(E()) + 10 >= total; }, 2000));
    DoubleClick();
    EXPECT_FALSE(window_.FullScreen()) << "within the last ten frames";

    GetEngineApi().JumpToFrame(E(), 0);
    ASSERT_TRUE(PumpUntil([&] { return GetEngineApi().GetCurrentFrame(E()) < 10; }, 2000));
    DoubleClick();
    ASSERT_TRUE(window_.FullScreen());
    T().ResetPlaybackViews();
    DoubleClick();
    EXPECT_FALSE(window_.FullScreen()) << "nothing left to show in full screen";
    EXPECT_EQ(Surface().geometry(), QRect(6, 24, 656, 373));
    const QImage shot = Surface().grab().toImage();
    EXPECT_EQ(shot.pixelColor(shot.rect().center()), QColor(Qt::black)) << "no movie, no picture";
}

TEST_F(VideoModes, TheContextMenuOffersTheStatesCommandsAndRunsTheOneChosen) {
    const auto rightClick = [&] {
        const QPoint local(100, 100);
        QContextMenuEvent event(QContextMenuEvent::Mouse, local, Surface().mapToGlobal(local));
        QApplication::sendEvent(&Surface(), &event);
        return M().OpenMenu();
    };
    CMovieMenu* menu = rightClick();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    EXPECT_FALSE(menu->FullScreen());
    ASSERT_EQ(menu->actions().size(), 8) << "stopped: 再生 — 静止画 設定 — 参照 — 車両情報";
    EXPECT_EQ(menu->actions().front()->text(), QString::fromUtf8("再生"));
    QTest::mouseClick(menu, Qt::LeftButton, {},
                      menu->actionGeometry(menu->actions().front()).center());
    ASSERT_TRUE(PumpUntil([&] { return E().PlayState == kPlayStatePlaying; }, 2000));
    EXPECT_TRUE(PumpUntil([&] { return M().OpenMenu() == nullptr; }, 1000)) << "closed and gone";

    menu = rightClick();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->actions().front()->text(), QString::fromUtf8("一時停止"));
    QAction* vehicle = menu->actions().back();
    EXPECT_EQ(vehicle->text(), QString::fromUtf8("車両情報"));
    vehicle->trigger();
    EXPECT_TRUE(PumpUntil([&] { return window_.ObdPanel()->isVisible(); }, 1000));
    EXPECT_TRUE(PumpUntil([&] { return M().OpenMenu() == nullptr; }, 1000));

    // Not while a recording opens; one left open closes when the next movie opens.
    menu = rightClick();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    window_.FilerPanel()->SelectRow(1);
    ASSERT_TRUE(T().WaitingForMovie());
    EXPECT_EQ(rightClick(), menu);
    EXPECT_TRUE(PumpUntil([&] { return M().OpenMenu() == nullptr; }, 3000));
}

TEST_F(VideoModes, ScreenshotsOfTheMenuInTheWindowAndInFullScreenAndOfAZoomedPicture) {
    CKestrelDlg& window = window_;
    window.OnCommand(CKestrelDlg::IdPlayPause);
    fs::create_directories(KESTREL_SCREENSHOT_DIR);
    for (const bool fullScreen : {false, true}) {
        window.SetFullScreen(fullScreen);
        QTest::qWait(200);
        window.VideoModes().VideoMenuRequested(window.VideoSurface()->mapToGlobal(QPoint(60, 60)));
        CMovieMenu* menu = window.VideoModes().OpenMenu();
        ASSERT_NE(menu, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        QTest::mouseMove(menu, menu->actionGeometry(menu->actions().at(1)).center());
        QTest::qWait(100);
        if (fullScreen) {
            EXPECT_TRUE(window.grab().toImage().save(QString::fromStdString(
                (fs::path(KESTREL_SCREENSHOT_DIR) / "fullscreen.png").string())));
        }
        const QImage shot = menu->grab().toImage();
        const char* name = fullScreen ? "menu-fullscreen.png" : "menu-window.png";
        EXPECT_TRUE(
            shot.save(QString::fromStdString((fs::path(KESTREL_SCREENSHOT_DIR) / name).string())));
        menu->close();
    }
    window.SetFullScreen(false);
    window.OnCommand(CKestrelDlg::IdPlayPause);
    window.OnCommand(CKestrelDlg::IdZoom);
    QTest::mouseClick(window.VideoSurface(), Qt::LeftButton, {}, QPoint(200, 120));
    QTest::qWait(QApplication::doubleClickInterval() + 300);
    EXPECT_TRUE(window.grab().toImage().save(
        QString::fromStdString((fs::path(KESTREL_SCREENSHOT_DIR) / "zoomed.png").string())));
}

} // namespace
} // namespace kestrel
