// The data views in the real main window on a generated recording whose drive holds every
// kind of event: the graph marks each event where its record lies, and the readouts and the
// vehicle gauges follow the picture on the screen while playing and after seeks. Pictures of
// the three sizes, with data and with placeholders, and of the vehicle panel while a needle
// moves, go to the build's screenshots folder for a person to look at.
#include "AppTestSupport.h"
#include "CKestrelDlg.h"
#include "SurfacePattern.h"
#include "WindowSupport.h"
#include "engine/PlaybackPipeline.h"
#include "mkrec/MovieMaker.h"
#include "skin/CSkinButton.h"
#include "transport/CTransportController.h"
#include "views/CGSensorDlg.h"
#include "views/CInfoDlg.h"
#include "views/CObdDlg.h"
#include "views/EventKind.h"
#include "views/GraphPainter.h"
#include "views/ShownRecording.h"

#include <QComboBox>
#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using test::GrabbedPattern;
using test::PictureOfFrame;
using test::PumpUntil;


// One 12-second event recording ("_G": every kind of mark counts) of the test drive: each
// hundred records hold one event of every kind, GPS is lost at records 16..19 and the vehicle
// sends nothing at records 0..1.
class DriveRecording {
  public:
    static const DriveRecording& Get() {
        static DriveRecording recording;
        return recording;
    }
    const fs::path& Folder() const { return folder_; }
    const std::vector<mkrec::RecordValues>& Records() const { return summary_.Udat.Records; }

  private:
    DriveRecording() {
        std::string pattern = testing::TempDir() + "kestrel-drive-XXXXXX";
        if (char* made = ::mkdtemp(pattern.data()))
            folder_ = made;
        mkrec::MovieOptions options;
        options.Seconds = 12.0;
        options.Video.Width = 320;
        options.Video.Height = 180;
        options.Drive.Start = mkrec::CivilTime{2024, 5, 1, 12, 0, 0};
        summary_ = mkrec::MakeMovie(options, folder_ / "240501_120000_G.MOV");
    }
    ~DriveRecording() {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    fs::path folder_;
    mkrec::MovieSummary summary_;
};

QString ShotPath(const QString& name) {
    QDir().mkpath(QStringLiteral(KESTREL_SCREENSHOT_DIR));
    return QStringLiteral(KESTREL_SCREENSHOT_DIR "/%1.png").arg(name);
}

double Thousandths(const std::string& text) {
    return std::strtod(text.c_str(), nullptr) / 1000.0;
}

class DataViews : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(window_.Initialise(DriveRecording::Get().Folder()));
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
        ASSERT_TRUE(test::WaitRecordingShown(window_));
    }
    CTransportController& T() { return window_.Transport(); }
    EngineContext& E() { return *window_.Engine(); }
    const GraphSamples& Data() { return T().Shown().GraphData(); }
    // The record linked to `slot`, or -1.
    int RecordOf(int slot) {
        const GSensorSample* sample = Data().SampleAt(slot);
        return sample ? sample->Index : -1;
    }
    // The first slot linked to record `record`, or -1.
    int SlotOf(int record) {
        for (int s = 0; s < Data().SlotCount(); ++s) {
            if (RecordOf(s) == record)
                return s;
        }
        return -1;
    }
    // The GPS record a G record is linked to: the recorder's GPS values lag its G values, so
    // each G record takes the position and speed of two records before it.
    static const mkrec::RecordValues& GpsRecordOf(int record) {
        return DriveRecording::Get().Records()[static_cast<size_t>(std::max(record - 2, 0))];
    }
    // The readouts agree with the generator's records of the shown slot.
    void ExpectReadoutsOfShownSlot() {
        const CInfoDlg& info = *window_.InfoView();
        const int record = RecordOf(info.Slot);
        ASSERT_GE(record, 0) << "slot " << info.Slot;
        const mkrec::RecordValues& r = DriveRecording::Get().Records()[static_cast<size_t>(record)];
        SCOPED_TRACE(testing::Message() << "slot " << info.Slot << ", record " << record);
        EXPECT_NEAR(info.Accel[0], Thousandths(r.AccelX), 1e-6);
        EXPECT_NEAR(info.Accel[1], Thousandths(r.AccelY), 1e-6);
        EXPECT_NEAR(info.Accel[2], Thousandths(r.AccelZ), 1e-6);
        const mkrec::RecordValues& gps = GpsRecordOf(record);
        if (gps.GpsStatus == 'A') {
            EXPECT_EQ(info.GpsValid, 1);
            EXPECT_NEAR(info.SpeedKmh, std::strtod(gps.Speed.c_str(), nullptr), 1e-6);
        } else {
            EXPECT_EQ(info.GpsValid, 0);
            EXPECT_TRUE(InfoPainter::SpeedText(info.Values()).isEmpty()) << "the placeholder";
        }
    }

    test::TempWorkDir dir_;
    CKestrelDlg window_;
};

TEST_F(DataViews, EveryEventKindIsMarkedOnTheGraphAtTheColumnOfItsRecord) {
    // The drive's events by record within each hundred, and the kind the graph makes of them:
    // braking for the negative Y peak, a drop for the positive Z peak; the two radar records
    // are one run, the two speeding records too.
    const std::map<int, int> kindAt = {
        {2, KindManual},        {4, KindGX},
        {6, KindGYBrake},       {8, KindGZDrop},
        {10, KindSupportSteer}, {11, KindSupportAccel},
        {12, KindSupportBrake}, {13, KindEmergencyStop},
        {14, KindParking},      {15, KindSpeeding},
        {17, KindSpeedCamera},  {18, KindRadar},
    };
    std::vector<EventPosition> positions = T().Shown().EventPositions();
    std::set<int> kindsSeen;
    for (const EventPosition& p : positions) {
        const int record = RecordOf(p.Slot);
        SCOPED_TRACE(testing::Message() << "slot " << p.Slot << " record " << record);
        const auto it = kindAt.find(record % 100);
        ASSERT_NE(it, kindAt.end()) << "kind " << p.Kind << " where the drive has no event";
        EXPECT_EQ(p.Kind, it->second);
        EXPECT_EQ(p.Slot, SlotOf(record)) << "a mark stands on the first slot of its record";
        EXPECT_TRUE(p.HasGps) << "every sample is linked to a GPS sample";
        EXPECT_EQ(p.Valid != 0, GpsRecordOf(record).GpsStatus == 'A') << "GPS is lost at 16..19";
        kindsSeen.insert(p.Kind);
    }
    // Every kind the recorder's flags can make, twice (records 0..99 and 100..119).
    EXPECT_EQ(positions.size(), 2 * kindAt.size());
    EXPECT_EQ(kindsSeen.size(), kindAt.size());

    // The whole recording lies across the graph: a mark's line runs at the column of its
    // slot, in its kind's colour, from the top of the graph.
    CGSensorDlg& graph = *window_.GraphView();
    const QImage shot = graph.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const double pps = GraphPainter::PixelsPerSlot(graph.width(), 50, &Data());
    ASSERT_GE(pps, 1.0) << "the recording is shorter than the graph is wide";
    for (const EventPosition& p : positions) {
        const int x = 50 + static_cast<int>(p.Slot * pps);
        const QRgb pen = StyleOf(p.Kind).Pen.rgb() & 0xffffff;
        EXPECT_EQ(shot.pixel(x, 1) & pen, pen) << "kind " << p.Kind << " at column " << x;
    }
}

TEST_F(DataViews, ReadoutsAndGaugesFollowTheShownFrameWhilePlayingAndAfterSeeks) {
    window_.OnCommand(CKestrelDlg::IdObdPanel);
    CObdDlg& obd = *window_.ObdView();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&obd));
    EXPECT_TRUE(obd.List(0)->isEnabled());

    // Seeks while paused: the readouts show the frame asked for, and so does the picture.
    for (const int record : {3, 17, 55, 105}) {
        const int slot = SlotOf(record);
        SCOPED_TRACE(testing::Message() << "record " << record << " slot " << slot);
        T().SeekTo(slot);
        ASSERT_TRUE(PumpUntil([&] { return window_.InfoView()->Slot == slot; }, 3000));
        EXPECT_TRUE(PumpUntil(
            [&] { return GrabbedPattern(*window_.VideoSurface()) == PictureOfFrame(slot); }, 3000));
        ExpectReadoutsOfShownSlot();
    }
    // The date of the shown frame: the recording's start plus the slot's time.
    T().SeekTo(SlotOf(55));
    ASSERT_TRUE(PumpUntil([&] { return window_.InfoView()->Slot == SlotOf(55); }, 3000));
    EXPECT_EQ(InfoPainter::DateTimeText(window_.InfoView()->Values()).right(8),
              QStringLiteral("12:00:05"));

    // Playing: each look finds the readouts on the slot whose picture is on the screen, and
    // agreeing with that slot's records; the needles move and the panel's lists are greyed.
    T().SeekTo(0);
    QTest::mouseClick(window_.CommandButton(2), Qt::LeftButton);
    ASSERT_TRUE(PumpUntil([&] { return E().PlayState == kPlayStatePlaying; }, 3000));
    std::set<int> drawn;
    bool listsGreyed = false;
    for (int look = 0; look < 12; ++look) {
        QTest::qWait(150);
        const int slot = window_.InfoView()->Slot;
        const int picture = GrabbedPattern(*window_.VideoSurface());
        // The picture and the readouts are painted apart: on a loaded machine the picture
        // may be a few repaints behind, never a whole recording second.
        EXPECT_NEAR(picture, PictureOfFrame(slot), 15) << "look " << look;
        ExpectReadoutsOfShownSlot();
        drawn.insert(obd.Gauge(0).DrawnValue());
        listsGreyed = listsGreyed || !obd.List(0)->isEnabled();
        if (look == 6) {
            EXPECT_TRUE(obd.grab().save(ShotPath(QStringLiteral("views-obd-playing"))));
        }
    }
    EXPECT_GE(drawn.size(), 3u) << "the first needle moves with the vehicle's values";
    EXPECT_TRUE(listsGreyed);
    QTest::mouseClick(window_.CommandButton(2), Qt::LeftButton);
    ASSERT_TRUE(PumpUntil([&] { return E().PlayState == kPlayStatePaused; }, 2000));
    EXPECT_TRUE(PumpUntil([&] { return obd.List(0)->isEnabled(); }, 500));
}

TEST(DataViewsScreenshots, TheThreeSizesWithDataAndWithPlaceholders) {
    test::TempWorkDir dir;
    const char* sizes[3] = {"small", "medium", "large"};
    for (const bool withData : {false, true}) {
        CKestrelDlg window;
        ASSERT_TRUE(withData ? window.Initialise(DriveRecording::Get().Folder())
                             : window.Initialise());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        if (withData) {
            ASSERT_TRUE(PumpUntil(
                [&] {
                    return window.Engine()->SensorDataLoaded == 1 && window.InfoView()->Slot >= 0;
                },
                10000));
            window.Transport().SeekTo(170); // a G event, braking and a user point on the left
            ASSERT_TRUE(PumpUntil([&] { return window.InfoView()->Slot == 170; }, 3000));
        }
        for (int size = 0; size < 3; ++size) {
            if (size > 0)
                window.OnCommand(CKestrelDlg::IdNextSize);
            QTest::qWait(200);
            const QString name =
                QStringLiteral("views-%1-%2")
                    .arg(QLatin1String(sizes[size]),
                         withData ? QStringLiteral("data") : QStringLiteral("placeholders"));
            EXPECT_TRUE(window.grab().save(ShotPath(name))) << name.toStdString();
        }
    }
}

} // namespace
} // namespace kestrel
