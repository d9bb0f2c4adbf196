// The transport controller on a generated card: opening through the prefetch, playing and
// following the clock, seeking to exact pictures, the near-end guard and end margins, and
// continuous playback into the next recording and the next folder.
#include "CardFixture.h"
#include "TransportHost.h"
#include "engine/UiTextTable.h"
#include "mkrec/MovieMaker.h"
#include "sources/CFileListCtrl.h"
#include "sources/CFolderTreeCtrl.h"

#include <algorithm>
#include <iterator>

#include <gtest/gtest.h>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using test::PumpUntil;


class Transport : public ::testing::Test {
  protected:
    void SetUp() override {
        host_.Panel().OpenSource(card_.Root(), 1);
        ASSERT_EQ(host_.Panel().RowCount(), test::SmallCard::kFirstFolderCount);
    }
    // Selects row `row` as the user does and waits for its data.
    void OpenRow(int row) {
        host_.Panel().SelectRow(row);
        ASSERT_TRUE(host_.WaitLoaded()) << "row " << row;
    }
    CTransportController& C() { return host_.Controller(); }
    EngineContext& E() { return host_.Engine(); }

    const test::SmallCard& card_ = test::SmallCard::Get();
    test::TempWorkDir dir_;
    test::TransportHost host_;
};

TEST(TransportRules, ResolutionClassesAndGraphScales) {
    const struct {
        int Height;
        char Letter;
        int Class;
    } classes[] = {{360, 'H', 1},  {360, 'L', 2},  {720, 'H', 3}, {720, 0, 4},
                   {1080, 'H', 5}, {1080, 'N', 6}, {180, 'H', 0}, {0, 'H', 0}};
    for (const auto& c : classes) {
        EXPECT_EQ(CTransportController::ResolutionClass(c.Height, c.Letter), c.Class)
            << c.Height << " " << c.Letter;
    }
    const struct {
        double Peak;
        int Scale;
    } scales[] = {{0.0, 0}, {0.49, 0}, {0.5, 1}, {0.99, 1},
                  {1.0, 2}, {1.49, 2}, {1.5, 3}, {7.0, 3}};
    for (const auto& c : scales)
        EXPECT_EQ(CTransportController::GraphScale(c.Peak), c.Scale) << c.Peak;
}

TEST_F(Transport, SelectingARowOpensItAfterTheDelayAndLoadsItsDataThroughThePrefetch) {
    host_.Panel().SelectRow(0);
    EXPECT_EQ(C().CurrentIndex(), 0);
    EXPECT_EQ(C().WaitingForMovie(), 1);
    EXPECT_TRUE(host_.WaitCursor);
    EXPECT_TRUE(C().TimerActive(CTransportController::TimerOpen));
    EXPECT_TRUE(C().TimerActive(CTransportController::TimerOpenTimeout));
    EXPECT_EQ(E().PlayState, 0) << "nothing is opened before the delay";
    ASSERT_TRUE(host_.WaitLoaded())
        << C().RecordingOpen() << " " << E().PlayState << " " << host_.OpenFailures << " "
        << E().SensorDataLoaded << " " << C().WaitingForMovie();
    EXPECT_EQ(C().WaitingForMovie(), 0);
    EXPECT_FALSE(host_.WaitCursor);
    EXPECT_FALSE(C().TimerActive(CTransportController::TimerOpenTimeout));
    EXPECT_TRUE(C().TimerActive(CTransportController::TimerTick));
    EXPECT_EQ(E().PlayState, kPlayStateStopped) << "a user's selection opens without playing";
    const int64_t total = host_.Api().GetTotalFrames(E());
    EXPECT_EQ(host_.Seek().Max, total);
    EXPECT_EQ(host_.Info().DataValid, 1);
    EXPECT_EQ(host_.Info().StartTime.Second, 56);
    EXPECT_EQ(host_.Panel().Row(0)->StartTime.Second, 56) << "the entry takes the first fix's time";
    EXPECT_NE(E().Displayed.Scanner.FrameIndex, nullptr);
    EXPECT_EQ(host_.Info().Accel[0] > -5.0, true) << "frame 0's readouts";
    // The next recording is being decoded in the background.
    EXPECT_TRUE(PumpUntil([&] { return E().Prefetch.Scanner.Analysed == 1; }, 5000));
    EXPECT_EQ(E().Prefetch.Scanner.Path, host_.Panel().Row(1)->FullPath);
}

TEST_F(Transport, PlayingShowsTheEnginesFrameAndSeekingLandsOnTheFrameAskedFor) {
    OpenRow(0);
    ASSERT_TRUE(C().OnCommand(CTransportController::IdPlayPause));
    EXPECT_EQ(E().PlayState, kPlayStatePlaying);
    EXPECT_TRUE(host_.PauseFace);
    ASSERT_TRUE(PumpUntil([&] { return host_.Info().Slot >= 10; }, 3000));
    // The shown frame follows the engine's clock, tick by tick.
    const int engineFrame = host_.Api().GetCurrentFrame(E());
    EXPECT_NEAR(host_.Info().Slot, engineFrame, 3);
    EXPECT_EQ(host_.Seek().Value(), host_.Info().Slot);

    ASSERT_TRUE(C().OnCommand(CTransportController::IdPlayPause));
    EXPECT_EQ(E().PlayState, kPlayStatePaused);
    EXPECT_FALSE(host_.PauseFace);
    for (const int frame : {7, 25, 0, 33}) {
        SCOPED_TRACE(frame);
        C().SeekTo(frame);
        EXPECT_EQ(host_.Info().Slot, frame);
        EXPECT_EQ(host_.Seek().Value(), frame);
        // The map and the OBD panel are handed the frame's sample.
        const GSensorSample* g = (*E().Displayed.Scanner.FrameIndex)[static_cast<size_t>(frame)];
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(host_.MapFrame, frame);
        ASSERT_NE(g->LinkedGps, nullptr);
        EXPECT_EQ(host_.MapValid, g->LinkedGps->Valid != 0);
        EXPECT_EQ(host_.MapLatitude, g->LinkedGps->Valid ? g->LinkedGps->Latitude : 0.0);
        ASSERT_EQ(host_.HasVehicle, g->LinkedObd != nullptr);
        if (g->LinkedObd) {
            EXPECT_EQ(host_.Vehicle.Index, g->LinkedObd->Index);
            EXPECT_TRUE(std::equal(std::begin(host_.Vehicle.Words), std::end(host_.Vehicle.Words),
                                   std::begin(g->LinkedObd->Words)));
        }
        EXPECT_TRUE(PumpUntil(
            [&] { return host_.Surface().Pattern() == test::PictureOfFrame(frame); }, 3000))
            << "shown picture " << host_.Surface().Pattern();
    }
}

TEST_F(Transport, SliderReleaseSeeksAndResumesPlaying) {
    OpenRow(0);
    ASSERT_TRUE(C().OnCommand(CTransportController::IdPlayPause));
    ASSERT_TRUE(C().OnMessage(WM_APP_SLIDER_PRESS, 38100, 5));
    EXPECT_EQ(E().PlayState, kPlayStatePaused);
    ASSERT_TRUE(C().OnMessage(WM_APP_SLIDER_DRAG, 38100, 12));
    EXPECT_EQ(host_.Info().Slot, 12) << "the readouts follow the thumb";
    ASSERT_TRUE(C().OnMessage(WM_APP_SLIDER_RELEASE, 38100, 12));
    EXPECT_EQ(E().PlayState, kPlayStatePlaying);
    EXPECT_FALSE(C().OnMessage(WM_APP_SLIDER_RELEASE, 38101, 12)) << "the volume is the window's";
}

TEST_F(Transport, TheLastFramesRefuseCommandsAndTheEndMarginsFollowTheSpeed) {
    EXPECT_EQ(CTransportController::EndMargin(1), 20);
    EXPECT_EQ(CTransportController::EndMargin(2), 40);
    EXPECT_EQ(CTransportController::EndMargin(4), 80);
    EXPECT_EQ(CTransportController::EndMargin(-2), 20);
    OpenRow(1);
    EXPECT_FALSE(C().GuardRefuses()) << "stopped: never refused";
    ASSERT_TRUE(C().OnCommand(CTransportController::IdPlayPause));
    const int64_t total = host_.Api().GetTotalFrames(E());
    ASSERT_TRUE(PumpUntil([&] { return host_.Api().GetCurrentFrame(E()) + 20 >= total; }, 3000));
    EXPECT_TRUE(C().GuardRefuses());
    C().OnCommand(CTransportController::IdPlayPause);
    EXPECT_EQ(E().PlayState, kPlayStatePlaying) << "play/pause in the last 20 frames does nothing";
    EXPECT_TRUE(PumpUntil([&] { return C().NearEndLock() == 1; }, 500))
        << "the tick locks the buttons";
}

TEST_F(Transport, ARecordingShorterThanTheMarginSeekedWhilePausedDoesNotAdvanceAtItsEnd) {
    OpenRow(0);
    ASSERT_TRUE(C().OnCommand(CTransportController::IdPlayPause));
    ASSERT_TRUE(C().OnCommand(CTransportController::IdFaster));
    ASSERT_TRUE(C().OnCommand(CTransportController::IdFaster));
    ASSERT_EQ(E().SpeedCode, 4);
    host_.Api().Pause(E());
    C().SeekTo(host_.Seek().Max); // 66 frames, margin 80
    EXPECT_EQ(C().IgnoreNextEnd(), 1);
    EXPECT_EQ(host_.Info().Slot, host_.Seek().Max - 1);
    C().OnMessage(WM_APP_MEDIA_ENDED, 0, 0);
    EXPECT_EQ(C().CurrentIndex(), 0) << "no advance";
    EXPECT_TRUE(C().TimerActive(CTransportController::TimerIgnoreEnd));
    EXPECT_EQ(host_.Info().Slot, 0);
}

TEST_F(Transport, TheEndOfAFoldersLastRecordingPlaysOnInTheNextFolder) {
    OpenRow(1);
    ASSERT_TRUE(C().OnCommand(CTransportController::IdPlayPause));
    CFolderTreeCtrl& tree = *host_.Panel().Tree();
    ASSERT_TRUE(PumpUntil([&] { return tree.currentItem() == tree.topLevelItem(1); }, 5000));
    EXPECT_EQ(host_.Panel().RowCount(), test::SmallCard::kSecondFolderCount);
    ASSERT_TRUE(PumpUntil([&] { return C().CurrentIndex() == 0 && E().PlayState == kPlayStatePlaying; }, 5000))
        << "index " << C().CurrentIndex() << " state " << E().PlayState;
    EXPECT_EQ(C().FolderAdvance(), 0);
    EXPECT_TRUE(host_.PauseFace);
    // And within the folder, on to the next recording.
    ASSERT_TRUE(
        PumpUntil([&] { return C().CurrentIndex() == 1 && E().PlayState == kPlayStatePlaying; }, 5000));
}

TEST(TransportSkips, ARecordingThatCannotBeOpenedIsSkippedSilentlyWhilePlayingOn) {
    test::TempWorkDir dir;
    const fs::path card = test::SmallCard::Get().CopyTo(dir.Path() / "card");
    // The first folder's last recording is too short for the player: continuous playback
    // skips it and goes on in the next folder.
    const fs::path shortOne = card / "DCIM" / "100_0501" / "240501_235958_A.MOV";
    fs::remove(shortOne);
    mkrec::MovieOptions options;
    options.Seconds = 1.0;
    options.Video.Width = 320;
    options.Video.Height = 180;
    mkrec::MakeMovie(options, shortOne);
    test::TransportHost host;
    host.Panel().OpenSource(card, 1);
    ASSERT_EQ(host.Panel().RowCount(), 2);
    ASSERT_TRUE(host.WaitLoaded());
    CTransportController& c = host.Controller();
    c.OnCommand(CTransportController::IdPlayPause);
    CFolderTreeCtrl& tree = *host.Panel().Tree();
    ASSERT_TRUE(PumpUntil([&] { return tree.currentItem() == tree.topLevelItem(1); }, 8000));
    ASSERT_TRUE(PumpUntil(
        [&] { return c.CurrentIndex() == 0 && host.Engine().PlayState == kPlayStatePlaying; }, 5000));
    EXPECT_EQ(host.OpenFailures, 0) << "nothing is reported for an automatic advance";
}

TEST_F(Transport, TheLastRecordingOfTheLastFolderEndsStoppedAtFrameZeroAtNormalSpeed) {
    CFolderTreeCtrl& tree = *host_.Panel().Tree();
    tree.setCurrentItem(tree.topLevelItem(1));
    ASSERT_EQ(host_.Panel().RowCount(), test::SmallCard::kSecondFolderCount);
    ASSERT_TRUE(host_.WaitLoaded()) << "the folder's first row opens";
    const int last = host_.Panel().RowCount() - 1;
    OpenRow(last);
    C().OnCommand(CTransportController::IdPlayPause);
    C().OnCommand(CTransportController::IdFaster);
    ASSERT_EQ(E().SpeedCode, 2);
    ASSERT_TRUE(PumpUntil([&] { return E().PlayState == kPlayStateStopped; }, 5000));
    EXPECT_EQ(C().CurrentIndex(), last);
    EXPECT_EQ(E().SpeedCode, 1);
    EXPECT_EQ(host_.Info().Slot, 0);
    EXPECT_EQ(C().FolderAdvance(), 0);
    EXPECT_EQ(host_.FolderAdvanceEnds, 1);
    EXPECT_TRUE(PumpUntil([&] { return host_.Surface().Pattern() == 0; }, 3000));
}

TEST_F(Transport, AFilterThatPutsAnotherRecordingAtTheCurrentRowOpensThatOne) {
    CFolderTreeCtrl& tree = *host_.Panel().Tree();
    tree.setCurrentItem(tree.topLevelItem(1));
    ASSERT_TRUE(host_.WaitLoaded());
    ASSERT_EQ(C().CurrentIndex(), 0);
    ASSERT_EQ(ClassifyName(host_.Panel().Row(0)->FileName), KindImpact);
    host_.Panel().SetKindFilter(1, 0); // impact recordings off: row 0 is the manual one now
    ASSERT_EQ(ClassifyName(host_.Panel().Row(0)->FileName), KindManual);
    EXPECT_EQ(C().WaitingForMovie(), 1);
    ASSERT_TRUE(host_.WaitLoaded());
    EXPECT_EQ(E().Displayed.Scanner.Path, host_.Panel().Row(0)->FullPath);
}

TEST_F(Transport, PreviousAndNextMoveOneRowAndPlay) {
    OpenRow(0);
    C().OnCommand(CTransportController::IdNext);
    EXPECT_EQ(C().CurrentIndex(), 1);
    ASSERT_TRUE(PumpUntil([&] { return E().PlayState == kPlayStatePlaying; }, 5000));
    EXPECT_EQ(host_.Panel().List()->CurrentRow, 1);
    ASSERT_TRUE(C().OnCommand(CTransportController::IdPrevious));
    EXPECT_EQ(C().CurrentIndex(), 0);
    ASSERT_TRUE(PumpUntil([&] { return E().PlayState == kPlayStatePlaying && C().RecordingOpen(); }, 5000));
    // At the first row, previous goes back to its start and holds there.
    ASSERT_TRUE(PumpUntil([&] { return host_.Info().Slot > 5; }, 3000));
    ASSERT_TRUE(C().OnCommand(CTransportController::IdPrevious));
    EXPECT_EQ(C().CurrentIndex(), 0);
    EXPECT_EQ(E().PlayState, kPlayStatePaused);
    EXPECT_EQ(E().SpeedCode, 1);
    EXPECT_EQ(host_.Info().Slot, 0);
    EXPECT_TRUE(PumpUntil([&] { return host_.Surface().Pattern() == 0; }, 3000));
}

class LongRecording : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = dir_.Path() / "rec";
        fs::create_directories(folder_);
        mkrec::MovieOptions options;
        options.Seconds = 4.0;
        options.Video.Width = 320;
        options.Video.Height = 180;
        mkrec::MakeMovie(options, folder_ / "240501_120000_A.MOV");
        host_.Panel().OpenSource(folder_, 2);
        ASSERT_EQ(host_.Panel().RowCount(), 1);
        ASSERT_TRUE(host_.WaitLoaded());
    }
    test::TempWorkDir dir_;
    fs::path folder_;
    test::TransportHost host_;
};

TEST_F(LongRecording, SeekingToTheEndWhilePlayingAtX4LandsEightyFramesBeforeIt) {
    CTransportController& c = host_.Controller();
    c.OnCommand(CTransportController::IdPlayPause);
    c.OnCommand(CTransportController::IdFaster);
    c.OnCommand(CTransportController::IdFaster);
    ASSERT_EQ(host_.Engine().SpeedCode, 4);
    const int max = host_.Seek().Max;
    ASSERT_GT(max, 100);
    c.SeekTo(max);
    EXPECT_EQ(host_.Info().Slot, max - 1) << "the readouts show the last frame";
    EXPECT_EQ(host_.Engine().PlayState, kPlayStatePlaying);
    // The engine went on from max - 80: its first report lies there, not at the end.
    int frame = 0;
    ASSERT_TRUE(
        PumpUntil([&] { return (frame = host_.Api().GetCurrentFrame(host_.Engine())) > 0; }, 2000));
    EXPECT_GE(frame, max - 80);
    EXPECT_LT(frame, max - 30);
}

TEST_F(LongRecording, SpeedLabelsAndTheFasterAndSlowerSteps) {
    const struct {
        int Code;
        const char* Label;
    } labels[] = {{2, "再生速度x2.0"},
                  {4, "再生速度x4.0"},
                  {-2, "再生速度x0.5"},
                  {-4, "再生速度x0.25"},
                  {1, ""},
                  {-1, ""}};
    for (const auto& l : labels) {
        const int slot = CTransportController::SpeedLabelSlot(l.Code, true);
        EXPECT_EQ(slot ? std::string(UiText(slot)) : std::string(), l.Label) << l.Code;
        EXPECT_EQ(CTransportController::SpeedLabelSlot(l.Code, false), 0);
    }
    CTransportController& c = host_.Controller();
    EngineContext& e = host_.Engine();
    c.OnCommand(CTransportController::IdFaster);
    EXPECT_EQ(e.SpeedCode, 1) << "not playing: the step gives normal speed";
    c.OnCommand(CTransportController::IdPlayPause);
    for (const int code : {2, 4, 4}) {
        c.OnCommand(CTransportController::IdFaster);
        EXPECT_EQ(e.SpeedCode, code);
    }
    EXPECT_EQ(host_.Info().SpeedLabel, QString::fromUtf8("再生速度x4.0"));
    c.OnCommand(CTransportController::IdSlower);
    c.OnCommand(CTransportController::IdSlower);
    EXPECT_EQ(e.SpeedCode, 1);
    EXPECT_TRUE(host_.Info().SpeedLabel.isEmpty());
    c.OnCommand(CTransportController::IdSlower);
    EXPECT_EQ(e.SpeedCode, -2) << "without backward play, slower from normal is half speed";
    EXPECT_EQ(host_.Info().SpeedLabel, QString::fromUtf8("再生速度x0.5"));
}

} // namespace
} // namespace kestrel
