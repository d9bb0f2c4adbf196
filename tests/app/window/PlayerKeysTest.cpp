// The main window's keys on two generated 8-second recordings: each key's effect checked by
// the frame pattern of the picture shown, and the guards the keys share with the buttons.
#include "AppTestSupport.h"
#include "CKestrelDlg.h"
#include "SurfacePattern.h"
#include "WindowSupport.h"
#include "engine/EngineApi.h"
#include "mkrec/MovieMaker.h"
#include "settings/SettingsStore.h"
#include "skin/CSkinDialog.h"
#include "sources/CFilerContainerDlg.h"
#include "sources/CSourceOpenDlg.h"
#include "transport/CStepCommands.h"
#include "transport/CTransportController.h"
#include "video/CMovieStatic.h"
#include "video/VideoModeHandler.h"
#include "views/CInfoDlg.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using test::GrabbedPattern;
using test::PictureOfFrame;
using test::PumpUntil;

constexpr int kFiveSeconds = 167; // engine frames of 30 ms

// Two recordings of 8 s (267 engine frames), made once for the whole run.
class LongFolder {
  public:
    static const fs::path& Get() {
        static LongFolder folder;
        return folder.path_;
    }
    ~LongFolder() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

  private:
    LongFolder() {
        std::string pattern = testing::TempDir() + "kestrel-keys-XXXXXX";
        if (char* made = ::mkdtemp(pattern.data()))
            dir_ = made;
        path_ = dir_ / "rec";
        fs::create_directories(path_);
        mkrec::MovieOptions options;
        options.Seconds = 8.0;
        options.Video.Width = 320;
        options.Video.Height = 180;
        mkrec::MakeMovie(options, path_ / "240501_120000_A.MOV");
        mkrec::MakeMovie(options, path_ / "240501_120008_A.MOV");
    }
    fs::path dir_;
    fs::path path_;
};

class Keys : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(window_.Initialise(LongFolder::Get()));
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }
    bool WaitLoaded() { return test::WaitRecordingShown(window_); }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(&window_, static_cast<Qt::Key>(key), modifiers);
    }
    int Slot() { return window_.InfoView()->Slot; }
    // The readouts and the picture both at `frame`.
    bool Shows(int frame) {
        return PumpUntil(
            [&] {
                return Slot() == frame &&
                       GrabbedPattern(*window_.VideoSurface()) == PictureOfFrame(frame);
            },
            3000);
    }
    void PausedAt(int frame) {
        T().SeekTo(frame);
        ASSERT_EQ(E().PlayState, kPlayStatePaused);
        ASSERT_TRUE(Shows(frame)) << GrabbedPattern(*window_.VideoSurface());
    }
    CTransportController& T() { return window_.Transport(); }
    EngineContext& E() { return *window_.Engine(); }

    test::TempWorkDir dir_;
    CKestrelDlg window_;
};

TEST_F(Keys, CommaAndPeriodStepOneFrameWhenPausedAndThePauseShowsItsOwnFrame) {
    ASSERT_TRUE(WaitLoaded());
    Key(Qt::Key_Space);
    ASSERT_EQ(E().PlayState, kPlayStatePlaying);
    Key(Qt::Key_Period);
    EXPECT_EQ(E().PlayState, kPlayStatePlaying) << "no step while playing";
    ASSERT_TRUE(PumpUntil([&] { return Slot() >= 40; }, 5000));
    Key(Qt::Key_Space);
    ASSERT_EQ(E().PlayState, kPlayStatePaused);
    const int paused = Slot();
    ASSERT_TRUE(Shows(paused)) << "the readouts stand at the paused picture";

    Key(Qt::Key_Period);
    EXPECT_TRUE(Shows(paused + 1));
    Key(Qt::Key_Comma);
    Key(Qt::Key_Comma);
    EXPECT_TRUE(Shows(paused - 1));
    EXPECT_EQ(E().PlayState, kPlayStatePaused);

    PausedAt(0);
    Key(Qt::Key_Comma);
    EXPECT_TRUE(Shows(0)) << "nothing before the first frame";
}

TEST_F(Keys, LeftAndRightSeekFiveSecondsAndUpAndDownChangeTheVolume) {
    ASSERT_TRUE(WaitLoaded());
    PausedAt(50);
    Key(Qt::Key_Right);
    EXPECT_TRUE(Shows(50 + kFiveSeconds)) << Slot();
    Key(Qt::Key_Left);
    EXPECT_TRUE(Shows(50));
    Key(Qt::Key_Left);
    EXPECT_TRUE(Shows(0)) << "held at the start";

    Key(Qt::Key_Space);
    ASSERT_EQ(E().PlayState, kPlayStatePlaying);
    Key(Qt::Key_Right);
    EXPECT_EQ(E().PlayState, kPlayStatePlaying) << "a seek while playing plays on";
    EXPECT_GE(Slot(), kFiveSeconds);
    Key(Qt::Key_Space);

    ASSERT_EQ(window_.Volume(), 65535);
    Key(Qt::Key_Down);
    EXPECT_EQ(window_.Volume(), 65535 - CStepCommands::kVolumeStep);
    EXPECT_EQ(ReadSetting("DISPLAY", "VOLUME"), std::to_string(65535 - CStepCommands::kVolumeStep));
    Key(Qt::Key_Up);
    Key(Qt::Key_Up);
    EXPECT_EQ(window_.Volume(), 65535);
    for (int i = 0; i < 20; ++i)
        Key(Qt::Key_Down);
    EXPECT_EQ(window_.Volume(), 0);
}

TEST_F(Keys, BracketsStepTheSpeedCodesAsTheButtonsDo) {
    ASSERT_TRUE(WaitLoaded());
    Key(Qt::Key_BracketRight);
    EXPECT_EQ(E().SpeedCode, 1) << "faster is for a playing recording";
    Key(Qt::Key_Space);
    const struct {
        int Key;
        int Want;
    } steps[] = {{Qt::Key_BracketRight, 2}, {Qt::Key_BracketRight, 4}, {Qt::Key_BracketRight, 4},
                 {Qt::Key_BracketLeft, 2},  {Qt::Key_BracketLeft, 1},  {Qt::Key_BracketLeft, -2},
                 {Qt::Key_BracketLeft, -2}};
    for (const auto& s : steps) {
        Key(s.Key);
        EXPECT_EQ(E().SpeedCode, s.Want);
    }
    EXPECT_EQ(E().PlayState, kPlayStatePlaying);
    const int before = Slot();
    EXPECT_TRUE(PumpUntil([&] { return Slot() > before; }, 2000)) << "playing on at half speed";
}

TEST_F(Keys, FEntersAndLeavesFullScreenEscapeOnlyLeavesIt) {
    ASSERT_TRUE(WaitLoaded());
    PausedAt(30);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(window_.FullScreen()) << "Escape does nothing in the window";
    Key(Qt::Key_F);
    ASSERT_TRUE(window_.FullScreen());
    EXPECT_EQ(window_.VideoSurface()->size(), QGuiApplication::primaryScreen()->size());
    EXPECT_TRUE(Shows(30));
    Key(Qt::Key_Period);
    EXPECT_TRUE(Shows(31)) << "the keys work in full screen";
    Key(Qt::Key_Escape);
    EXPECT_FALSE(window_.FullScreen());
    Key(Qt::Key_F);
    ASSERT_TRUE(window_.FullScreen());
    Key(Qt::Key_F);
    EXPECT_FALSE(window_.FullScreen());
    EXPECT_TRUE(Shows(31));

    window_.OnCommand(CKestrelDlg::IdZoom);
    ASSERT_EQ(window_.VideoModes().ZoomMode(), 1);
    Key(Qt::Key_F);
    EXPECT_FALSE(window_.FullScreen()) << "zoom mode keeps the window, as a double click does";
}

TEST_F(Keys, CtrlOOpensTheSourceDialog) {
    ASSERT_TRUE(WaitLoaded());
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CSourceOpenDlg*>(QApplication::activeModalWidget());
        shown = dialog != nullptr;
        if (dialog)
            dialog->reject();
    });
    Key(Qt::Key_O, Qt::ControlModifier);
    EXPECT_TRUE(shown);
}

TEST_F(Keys, NoKeyActsWhileARecordingOpensNearTheEndOrInAnotherWindow) {
    ASSERT_TRUE(WaitLoaded());
    PausedAt(60);
    window_.FilerPanel()->SelectRow(1);
    ASSERT_TRUE(T().WaitingForMovie());
    const int before = Slot();
    for (const int key :
         {Qt::Key_Right, Qt::Key_Period, Qt::Key_Down, Qt::Key_F, Qt::Key_Space, Qt::Key_PageUp}) {
        Key(key);
        EXPECT_EQ(Slot(), before) << key;
        EXPECT_NE(E().PlayState, kPlayStatePlaying) << key;
    }
    EXPECT_EQ(window_.Volume(), 65535);
    EXPECT_FALSE(window_.FullScreen());
    EXPECT_EQ(T().CurrentIndex(), 1);
    ASSERT_TRUE(WaitLoaded());

    // Playing within the last frames: the seek keys are refused as the buttons are.
    const int total = static_cast<int>(GetEngineApi().GetTotalFrames(E()));
    Key(Qt::Key_Space);
    T().SeekTo(total - 40);
    ASSERT_TRUE(PumpUntil([&] { return T().GuardRefuses(); }, 3000));
    const int nearEnd = Slot();
    Key(Qt::Key_Left);
    EXPECT_GE(Slot(), nearEnd) << "no seek back in the last frames";

    // The vehicle panel has its own keys.
    ASSERT_TRUE(PumpUntil([&] { return E().PlayState != kPlayStatePlaying && T().RecordingOpen(); }, 5000));
    window_.OnCommand(CKestrelDlg::IdObdPanel);
    CSkinDialog* panel = window_.ObdPanel();
    panel->activateWindow();
    ASSERT_TRUE(PumpUntil([&] { return QApplication::activeWindow() == panel; }, 2000));
    QTest::keyClick(panel, Qt::Key_Down);
    EXPECT_EQ(window_.Volume(), 65535);
}

} // namespace
} // namespace kestrel
