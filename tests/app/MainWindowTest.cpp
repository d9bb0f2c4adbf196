// The main window: its children in the three sizes, its buttons, dragging and its messages.
#include "AppTestSupport.h"
#include "CKestrelDlg.h"
#include "video/CMovieStatic.h"
#include "shell/UiQText.h"
#include "settings/SettingsStore.h"
#include "skin/CLogoDlg.h"
#include "skin/CSkinButton.h"
#include "skin/CSkinProgressBarCtrl.h"
#include "skin/CSkinSliderCtrl.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace kestrel {
namespace {

class MainWindow : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(window.Initialise());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    test::TempWorkDir dir;
    CKestrelDlg window;
};

TEST_F(MainWindow, WithNoListOnlyBrowseIsEnabled) {
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(window.CommandButton(i)->isEnabled(), i == 9) << "button " << i;
    }
    EXPECT_FALSE(window.CommandButton(12)->isEnabled()) << "CSV is blocked until a card is opened";
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(window.CaptionButton(i)->isEnabled());
}

TEST_F(MainWindow, ButtonsCarryTheirCommandsAndTooltips) {
    const char* tips[13] = {"先頭", "前",   "再生", "スロー", "早送り", "次", "静止画",
                            "結合", "拡大", "参照", "削除",   "設定",   "CSV"};
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(window.CommandButton(i)->Id(), 38000 + i);
        EXPECT_EQ(window.CommandButton(i)->toolTip(), QString::fromUtf8(tips[i])) << i;
        EXPECT_EQ(window.CommandButton(i)->size(), QSize(32, 32));
    }
    EXPECT_EQ(window.CaptionButton(CKestrelDlg::CaptionClose)->toolTip(),
              QString::fromUtf8("閉じる"));
    EXPECT_EQ(window.CaptionButton(CKestrelDlg::CaptionMinimise)->toolTip(),
              QString::fromUtf8("最小化"));
}

struct SizeLayout {
    QRect Video, Seek, Info, GSensor, MapLogo, FilePanel;
    int ButtonY;
    const char* SizeTip;
    QPoint Anchor;
};

// The places of the children, in client coordinates of the 1120 x 700 window.
const SizeLayout kLayouts[3] = {
    {{6, 24, 656, 373},
     {6, 397, 656, 10},
     {6, 407, 656, 85},
     {6, 492, 656, 168},
     {662, 24, 452, 392},
     {662, 416, 452, 244},
     665,
     "中",
     {328, 186}},
    {{6, 24, 868, 493},
     {6, 517, 868, 10},
     {6, 527, 868, 133},
     {},
     {},
     {874, 24, 240, 636},
     664,
     "大",
     {434, 246}},
    {{6, 24, 1108, 628}, {6, 652, 1108, 10}, {}, {}, {}, {}, 664, "小", {554, 314}},
};

void ExpectPlaced(const QWidget* child, const QRect& want, const char* what, int size) {
    if (want.isNull()) {
        EXPECT_FALSE(child->isVisible()) << what << " in size " << size;
        return;
    }
    EXPECT_TRUE(child->isVisible()) << what << " in size " << size;
    EXPECT_EQ(child->geometry(), want) << what << " in size " << size;
}

TEST_F(MainWindow, SizeCyclingPlacesEveryChild) {
    const QPoint corner = window.pos();
    for (int step = 0; step <= 3; ++step) {
        const int size = step % 3;
        if (step > 0)
            window.OnCommand(CKestrelDlg::IdNextSize);
        ASSERT_EQ(window.DisplaySize(), size);
        const SizeLayout& l = kLayouts[size];
        EXPECT_EQ(window.geometry(), QRect(corner, QSize(1120, 700)));
        ExpectPlaced(window.VideoSurface(), l.Video, "video", size);
        ExpectPlaced(window.SeekSlider(), l.Seek, "position slider", size);
        ExpectPlaced(window.InfoPanel(), l.Info, "information panel", size);
        ExpectPlaced(window.GSensorView(), l.GSensor, "G-sensor view", size);
        ExpectPlaced(window.LogoPanel(), l.MapLogo, "logo panel", size);
        EXPECT_FALSE(window.MapWindow()->isVisible()) << "no map without a recording";
        ExpectPlaced(window.FilePanel(), l.FilePanel, "file panel", size);
        ExpectPlaced(window.VolumeSlider(), {1000, 670, 100, 20}, "volume slider", size);
        ExpectPlaced(window.CaptionButton(CKestrelDlg::CaptionClose), {1064, 0, 46, 18}, "close",
                     size);
        ExpectPlaced(window.CaptionButton(CKestrelDlg::CaptionSize), {1038, 0, 26, 18}, "size",
                     size);
        ExpectPlaced(window.CaptionButton(CKestrelDlg::CaptionMinimise), {1012, 0, 26, 18},
                     "minimise", size);
        EXPECT_EQ(window.CaptionButton(CKestrelDlg::CaptionSize)->toolTip(),
                  QString::fromUtf8(l.SizeTip));
        for (int i = 0; i < 13; ++i) {
            QRect want(20 + 47 * i + (i >= 9 ? 30 : 0), l.ButtonY, 32, 32);
            if (size == 2) {
                const int order[13] = {0, 1, 2, 3, 4, 5, -1, -1, 6, -1, -1, -1, -1};
                want = order[i] < 0 ? QRect() : QRect(20 + 47 * order[i], 664, 32, 32);
            }
            ExpectPlaced(window.CommandButton(i), want, "button", size);
        }
        EXPECT_EQ(QPoint(window.Zoom().AnchorX, window.Zoom().AnchorY), l.Anchor) << size;
        EXPECT_EQ(window.Zoom().Scale, 1.0f);
    }
}

TEST_F(MainWindow, DraggingTheBackgroundMovesTheWindowAndSizeChangesKeepTheCorner) {
    const QPoint before = window.pos();
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(500, 10));
    QTest::mouseMove(&window, QPoint(560, 40));
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(560, 40));
    ASSERT_TRUE(test::PumpUntil([&] { return window.pos() == before + QPoint(60, 30); }, 2000))
        << "window at " << window.pos().x() << "," << window.pos().y();
    window.OnCommand(CKestrelDlg::IdNextSize);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.pos(), before + QPoint(60, 30));
    // A press on a child does not drag, not even on a disabled button or slider.
    const QPoint dropped = window.pos();
    window.SeekSlider()->Enabled = 0;
    QWidget* children[] = {window.VideoSurface(), window.CommandButton(0), window.SeekSlider(),
                           window.FilePanel(), window.LogoPanel()};
    for (QWidget* child : children) {
        QTest::mousePress(child, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(child, QPoint(105, 55));
        QTest::mouseRelease(child, Qt::LeftButton, {}, QPoint(105, 55));
        QCoreApplication::processEvents();
        EXPECT_EQ(window.pos(), dropped) << child->objectName().toStdString();
    }
}

TEST_F(MainWindow, SizeChangeKeepsTheWindowOnTheWorkArea) {
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    window.move(work.right() - 500, work.bottom() - 300);
    ASSERT_TRUE(test::PumpUntil(
        [&] { return window.pos() == QPoint(work.right() - 500, work.bottom() - 300); }, 2000));
    window.OnCommand(CKestrelDlg::IdNextSize);
    EXPECT_TRUE(test::PumpUntil(
        [&] { return window.geometry().bottomRight() == work.bottomRight(); }, 2000))
        << window.geometry().right() << "," << window.geometry().bottom();
    window.move(-40, -30);
    ASSERT_TRUE(test::PumpUntil([&] { return window.pos() == QPoint(-40, -30); }, 2000));
    window.OnCommand(CKestrelDlg::IdNextSize);
    EXPECT_TRUE(test::PumpUntil([&] { return window.pos() == QPoint(0, 0); }, 2000));
}

TEST_F(MainWindow, EnterAndEscapeDoNothing) {
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(&window, key);
        QCoreApplication::processEvents();
        EXPECT_TRUE(window.isVisible());
        EXPECT_FALSE(window.IsShutDown());
    }
}

TEST_F(MainWindow, VolumeSliderMessagesSetAndStoreTheVolume) {
    const int id = CKestrelDlg::IdVolumeSlider;
    PostAppEvent(&window, WM_APP_SLIDER_PRESS, id, 100); // a press alone changes nothing
    QCoreApplication::processEvents();
    EXPECT_EQ(window.Volume(), 65535);
    PostAppEvent(&window, WM_APP_SLIDER_DRAG, id, 30000);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.Volume(), 30000);
    PostAppEvent(&window, WM_APP_SLIDER_RELEASE, id, 1000);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.Volume(), 1000);
    EXPECT_EQ(window.VolumeSlider()->Value(), 1000);
    EXPECT_EQ(ReadSetting("DISPLAY", "VOLUME"), "1000");
}

TEST_F(MainWindow, JobProgressMovesTheBar) {
    const std::pair<std::pair<int, int>, int> cases[] = {
        {{1, 4}, 25}, {{2, 3}, 66}, {{5, 0}, 100}, {{0, -1}, 100}, {{4, 4}, 100},
    };
    for (const auto& [args, want] : cases) {
        PostAppEvent(&window, WM_APP_JOB_PROGRESS, args.first, args.second);
        QCoreApplication::processEvents();
        EXPECT_EQ(window.ProgressBar()->Pos(), want) << args.first << "/" << args.second;
    }
}

TEST_F(MainWindow, AVanishedSourceOnAnotherDriveOnlyEmptiesTheViews) {
    PostAppEvent(&window, WM_APP_SOURCE_GONE);
    QCoreApplication::processEvents();
    EXPECT_FALSE(window.IsShutDown());
    EXPECT_EQ(window.CsvBlocked(), 1);
    EXPECT_TRUE(window.CommandButton(9)->isEnabled());
}

TEST_F(MainWindow, TheLogoStandsInTheMapsPlaceInTheSmallSizeOnly) {
    EXPECT_TRUE(window.LogoPanel()->isVisible());
    EXPECT_EQ(window.LogoShown(), 1);
    window.OnCommand(CKestrelDlg::IdNextSize);
    EXPECT_FALSE(window.LogoPanel()->isVisible());
    EXPECT_EQ(window.LogoShown(), 0);
}

TEST_F(MainWindow, FullScreenShowsTheVideoAloneAndReturnsToTheCorner) {
    const QPoint corner = window.pos();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    window.SetFullScreen(true);
    ASSERT_TRUE(test::PumpUntil([&] { return window.geometry() == screen; }, 2000));
    EXPECT_EQ(window.VideoSurface()->geometry(), QRect(QPoint(0, 0), screen.size()));
    EXPECT_FALSE(window.VideoSurface()->ClientEdge());
    for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow())
            continue;
        EXPECT_EQ(child->isVisible(), child == window.VideoSurface())
            << child->objectName().toStdString();
    }
    window.SetFullScreen(false);
    ASSERT_TRUE(test::PumpUntil(
        [&] { return window.geometry() == QRect(corner, QSize(1120, 700)); }, 2000));
    EXPECT_EQ(window.VideoSurface()->geometry(), QRect(6, 24, 656, 373));
    EXPECT_TRUE(window.VideoSurface()->ClientEdge());
    EXPECT_TRUE(window.LogoPanel()->isVisible());
    EXPECT_TRUE(window.CommandButton(9)->isVisible());
}

TEST_F(MainWindow, CloseCommandShutsDownAndHidesTheWindow) {
    window.OnCommand(CKestrelDlg::IdClose);
    EXPECT_TRUE(window.IsShutDown());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.Engine()->Ready.load(), 0);
}

} // namespace
} // namespace kestrel
