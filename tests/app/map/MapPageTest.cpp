// The map page as it runs in the viewer: the real page in the web engine, fed by the real
// bridge from a small engine record, with tiles from a server on this machine.
#include "CardFixture.h"
#include "MapTestSupport.h"
#include "engine/EngineContext.h"
#include "map/CGoogleMapDlg2.h"
#include "map/CGoogleMapDlgWrap.h"
#include "map/CMapConnectionMonitor.h"
#include "views/ShownRecording.h"

#include <QDir>
#include <QWebEngineView>

#include <gtest/gtest.h>

namespace kestrel {
namespace {

using test::Eval;
using test::EvalUntil;
using test::PumpUntil;

struct Point {
    double Lat, Lng;
    int Frame;
};

class MapPage : public ::testing::Test {
  protected:
    void SetUp() override {
        env_ =
            std::make_unique<test::ScopedEnv>("KESTREL_TILE_URL", tiles_.Template().toStdString());
        engine_.Ready = 1;
        window_.resize(452, 392);
        dialog_ = new CGoogleMapDlg2(&window_);
        dialog_->setGeometry(0, 0, 452, 392);
        bridge_ = std::make_unique<CGoogleMapDlgWrap>(dialog_, engine_, cpSet_, &window_);
        bridge_->SetTracks(&shown_);
        window_.show();
        dialog_->show();
        ASSERT_TRUE(PumpUntil([&] { return bridge_->PageReady == 1; }, 15000));
        ASSERT_TRUE(PumpUntil([&] { return bridge_->IsConnected() == 1; }, 5000));
    }
    void TearDown() override { bridge_.reset(); }
    QWebEnginePage* Page() { return dialog_->Browser.View()->page(); }

    static GpsSampleList Samples(const std::vector<Point>& points, int valid = 1) {
        GpsSampleList list;
        for (const Point& p : points) {
            GpsSample s;
            s.Time = p.Frame;
            s.Valid = valid;
            s.Latitude = p.Lat;
            s.Longitude = p.Lng;
            list.push_back(s);
        }
        return list;
    }
    void SetRecording(const std::vector<Point>& points, int valid = 1) {
        shown_.Recording = ShownRecording::PointsWithFix(Samples(points, valid));
        shown_.AllFiles = *shown_.Recording;
    }
    // Runs everything the page has queued, then `expression` in the same queue; its value.
    QVariant Queued(const QString& expression) {
        const QVariant value = test::Queued(Page(), expression);
        EXPECT_TRUE(value.isValid()) << expression.toStdString();
        return value;
    }
    // North-south steps: 0.0014 degrees starts a new segment, 0.0013 does not, so the track
    // has segments 0-1 and 2-4; the marker stands on point 3, inside the second.
    void DrawBrokenTrack() {
        SetRecording({{35.0, 139.0, 0},
                      {35.0013, 139.0, 10},
                      {35.0027, 139.0, 20},
                      {35.0040, 139.0, 30},
                      {35.0053, 139.0, 40}});
        bridge_->CurrentFrame = 35;
        Draw();
    }
    void Draw(int recordingIndex = 0) {
        ASSERT_TRUE(bridge_->CreateMapTrack(recordingIndex));
        Queued(QStringLiteral("0"));
    }

    test::TempWorkDir dir_;
    test::TileServer tiles_;
    std::unique_ptr<test::ScopedEnv> env_;
    EngineContext engine_;
    ShownTracks shown_;
    platform::RecursiveNamedMutex cpSet_{"hMutexCpSet"};
    test::MessageRecorder window_;
    CGoogleMapDlg2* dialog_ = nullptr;
    std::unique_ptr<CGoogleMapDlgWrap> bridge_;
};

TEST_F(MapPage, ReadyPageAsksForTilesNamingTheViewer) {
    ASSERT_FALSE(window_.Received.empty());
    EXPECT_EQ(window_.Received.front().Number, WM_APP_MAP_LOADED);
    ASSERT_TRUE(PumpUntil([&] { return tiles_.TileRequests() > 0; }, 10000));
    for (const auto& r : tiles_.Requests()) {
        EXPECT_TRUE(r.UserAgent.startsWith("Kestrel/")) << r.Path.constData();
        EXPECT_FALSE(r.Referer.isEmpty()) << r.Path.constData();
    }
    EXPECT_EQ(Eval(Page(), QStringLiteral("sample !== null && typeof L")).toString(),
              QStringLiteral("object"));
}

TEST_F(MapPage, MarkerStandsOnThePointBeforeTheFrame) {
    SetRecording({{35.0, 139.0, 10}, {35.0001, 139.0, 20}, {35.0002, 139.0, 30}});
    Draw();
    const struct {
        int Frame;
        int Index;
    } cases[] = {{5, 0}, {10, 0}, {20, 0}, {25, 1}, {30, 1}, {31, 2}, {1000, 2}, {-1, -1}};
    for (const auto& c : cases) {
        bridge_->CurrentFrame = c.Frame;
        EXPECT_EQ(Queued(QStringLiteral("orbitgrplist.getIndex()")).toInt(), c.Index)
            << "frame " << c.Frame;
    }
}

TEST_F(MapPage, LongJumpsBreakTheTrackAndDrivenPartIsBlue) {
    DrawBrokenTrack();
    EXPECT_EQ(
        Queued(QStringLiteral("JSON.stringify(orbitgrplist.orbitlist.map(s => [s.start, s.end]))")),
        QVariant(QStringLiteral("[[0,1],[2,4]]")));
    auto lines = [&](const char* list) {
        return Queued(QStringLiteral("JSON.stringify(orbitgrplist.%1.map(l => [l.options.color, "
                                     "l.options.opacity, l.getLatLngs().length]))")
                          .arg(QLatin1String(list)))
            .toString();
    };
    // Driven: the whole first segment and the second up to the marker; ahead: the rest.
    EXPECT_EQ(lines("histline"), QStringLiteral(R"([["#0000FF",1,2],["#0000FF",1,2]])"));
    EXPECT_EQ(lines("schline"), QStringLiteral(R"([["#FF0000",0.9,2]])"));
    EXPECT_EQ(lines("grpline"), QStringLiteral(R"([["#FF0000",0.5,2],["#FF0000",0.5,3]])"));
    EXPECT_NEAR(Queued(QStringLiteral("g_marker.getLatLng().lat")).toDouble(), 35.0040, 1e-9);
}

TEST_F(MapPage, LinesAreDrawnBetweenTheirPointsAndNotAcrossABreak) {
    DrawBrokenTrack();
    PumpUntil([] { return false; }, 300);
    const QImage shot = dialog_->grab().toImage();
    const double zoom = dialog_->Browser.View()->zoomFactor();
    const QColor blue(0, 0, 255), red(255, 0, 0);
    const struct {
        double Lat;
        bool Blue, Red;
    } cases[] = {
        {35.00065, true, false}, // driven, first segment
        {35.0020, false, false}, // the break: no line at all
        {35.00335, true, false}, // driven, second segment
        {35.00504, false, true}, // ahead, above the marker
        {35.0070, false, false}, // past the last point
    };
    for (const auto& c : cases) {
        const QVariantList p =
            Eval(Page(), QStringLiteral("(() => { const p = g_map.latLngToContainerPoint([%1, "
                                        "139.0]); return [p.x, p.y]; })()")
                             .arg(c.Lat, 0, 'f', 6))
                .toList();
        ASSERT_EQ(p.size(), 2);
        const QPoint at(qRound(p[0].toDouble() * zoom), qRound(p[1].toDouble() * zoom));
        const QRect box(at - QPoint(3, 3), QSize(7, 7));
        EXPECT_EQ(test::ShareOf(shot, blue, box) > 0.0, c.Blue) << c.Lat;
        EXPECT_EQ(test::ShareOf(shot, red, box) > 0.0, c.Red) << c.Lat;
    }
}

TEST_F(MapPage, EventMarkersComeInReverseOrderWithoutTheOneAtZero) {
    SetRecording({{35.0, 139.0, 0}, {35.0005, 139.0005, 30}});
    auto event = [](int kind, int time, double lat, double lng) {
        MapEventMarker e;
        e.Kind = kind;
        e.HasGps = true;
        e.Time = time;
        e.Latitude = lat;
        e.Longitude = lng;
        e.Valid = 1;
        return e;
    };
    bridge_->SetEventCollector([&] {
        return std::vector<MapEventMarker>{event(1, 11, 35.0001, 139.0001), event(2, 22, 0.0, 0.0),
                                           event(5, 33, 35.0004, 139.0004)};
    });
    Draw(3);
    EXPECT_EQ(Queued(QStringLiteral(
                  "JSON.stringify(cplist.markers.map(m => [m.ipos, m.ifile, m.igrid]))")),
              QVariant(QStringLiteral("[[33,0,3],[11,0,3]]")));
    EXPECT_EQ(Queued(QStringLiteral("cplist.markers[0].marker.getIcon().options.iconUrl")),
              QVariant(QStringLiteral("icons/userpoint.svg")));

    // An event whose GPS point is not there yet fails the send, so that it is tried again.
    bridge_->SetEventCollector([&] { return std::vector<MapEventMarker>{MapEventMarker{}}; });
    EXPECT_FALSE(bridge_->CreateMapTrack(0));
}

TEST_F(MapPage, ClickOnAnIconReportsItsFrameAndRedrawsOnlyInTheNorthEast) {
    SetRecording({{-33.0, -70.0, 0}, {-33.0005, -70.0005, 30}});
    bridge_->CurrentFrame = 10;
    const struct {
        double Lat, Lng;
        bool Redraws;
    } cases[] = {{-33.0001, 70.0, false}, {33.0, -70.0001, false}, {33.0, 70.0, true}};
    int ipos = 100;
    for (const auto& c : cases) {
        MapEventMarker e;
        e.Kind = 0;
        e.HasGps = true;
        e.Time = ++ipos;
        e.Latitude = c.Lat;
        e.Longitude = c.Lng;
        bridge_->SetEventCollector([e] { return std::vector<MapEventMarker>{e}; });
        Draw();
        const QVariant before = Queued(QStringLiteral("L.stamp(orbitgrplist.schline[0])"));
        window_.Received.clear();
        Queued(QStringLiteral("cplist.markers[0].marker.fire('click') && 0"));
        const QVariant after = Queued(QStringLiteral("L.stamp(orbitgrplist.schline[0])"));
        ASSERT_TRUE(PumpUntil([&] { return !window_.Received.empty(); }, 5000));
        EXPECT_EQ(window_.Received.back().Number, WM_APP_MAP_PICKED);
        EXPECT_EQ(window_.Received.back().LParam, ipos);
        EXPECT_EQ(before != after, c.Redraws) << c.Lat << ", " << c.Lng;
    }
}

TEST_F(MapPage, PauseAndStopHoldTheMarkerUntilPlayingAgain) {
    SetRecording({{35.0, 139.0, 0}, {35.0005, 139.0, 30}, {35.0010, 139.0, 60}});
    bridge_->CurrentFrame = 0;
    Draw();
    for (int state : {1, 2}) {
        bridge_->SetMapPosition(0, true, 35.0, 139.0);
        bridge_->SetMapStatus(0);
        ASSERT_TRUE(EvalUntil(Page(), QStringLiteral("g_marker.getLatLng().lat === 35.0")));
        bridge_->SetMapStatus(state);
        ASSERT_TRUE(EvalUntil(
            Page(), QStringLiteral("document.getElementById('map_status').value !== ''")));
        bridge_->SetMapPosition(45, true, 35.0005, 139.0);
        // Three passes of the page's loop.
        PumpUntil([] { return false; }, 3000);
        EXPECT_DOUBLE_EQ(Eval(Page(), QStringLiteral("g_marker.getLatLng().lat")).toDouble(), 35.0)
            << "state " << state;
        bridge_->SetMapStatus(0);
        EXPECT_TRUE(EvalUntil(Page(), QStringLiteral("g_marker.getLatLng().lat === 35.0005")))
            << "state " << state;
    }
}

TEST_F(MapPage, RecordingWithoutFixDrawsNoLineAndKeepsTheLastPosition) {
    SetRecording({{35.0, 139.0, 0}, {35.0005, 139.0, 30}}, 0);
    bridge_->SetMapPosition(5, true, 35.25, 139.5);
    Draw();
    EXPECT_EQ(Queued(QStringLiteral("JSON.stringify([orbitgrplist.gridlist.points.length, "
                                    "orbitgrplist.histline.length, orbitgrplist.schline.length, "
                                    "orbitgrplist.grpline.length])")),
              QVariant(QStringLiteral("[0,0,0,0]")));
    // The loop puts the marker where the host said.
    EXPECT_TRUE(EvalUntil(Page(), QStringLiteral("g_marker.getLatLng().lat === 35.25 && "
                                                 "g_marker.getLatLng().lng === 139.5")));
}

TEST_F(MapPage, OfflineKeepsTheLinesOnAPlainBackgroundAndTilesReturn) {
    SetRecording({{35.0, 139.0, 0}, {35.0005, 139.0005, 30}, {35.0010, 139.0010, 60}});
    bridge_->CurrentFrame = 45;
    Draw();
    ASSERT_TRUE(EvalUntil(Page(), QStringLiteral("g_map.hasLayer(g_tiles)")));
    tiles_.SetOn(false);
    ASSERT_TRUE(PumpUntil([&] { return bridge_->IsConnected() == 0; }, 6000));
    ASSERT_TRUE(
        EvalUntil(Page(), QStringLiteral("!g_map.hasLayer(g_tiles) && "
                                         "!document.getElementById('offline_note').hidden")));
    EXPECT_EQ(Eval(Page(), QStringLiteral("orbitgrplist.histline.length + "
                                          "orbitgrplist.schline.length"))
                  .toInt(),
              2);
    // The page paints on its own time: wait for the dark background rather than a fixed while.
    QImage offline;
    PumpUntil(
        [&] {
            offline = dialog_->grab().toImage();
            return test::ShareOf(offline, QColor(30, 34, 39)) > 0.5 &&
                   test::ShareOf(offline, QColor(0, 0, 255), {}, 60) > 0.0;
        },
        5000);
    QDir().mkpath(QStringLiteral(KESTREL_SCREENSHOT_DIR));
    offline.save(QStringLiteral(KESTREL_SCREENSHOT_DIR "/map-page-offline.png"));
    EXPECT_GT(test::ShareOf(offline, QColor(30, 34, 39)), 0.5); // the plain dark background
    EXPECT_GT(test::ShareOf(offline, QColor(0, 0, 255), {}, 60), 0.0);

    const int before = tiles_.TileRequests();
    tiles_.SetOn(true);
    ASSERT_TRUE(
        EvalUntil(Page(), QStringLiteral("g_map.hasLayer(g_tiles) && "
                                         "document.getElementById('offline_note').hidden")));
    EXPECT_TRUE(PumpUntil([&] { return tiles_.TileRequests() > before; }, 10000));
    QImage online;
    PumpUntil(
        [&] {
            online = dialog_->grab().toImage();
            return test::ShareOf(online, QColor(200, 230, 190)) > 0.3;
        },
        5000);
    online.save(QStringLiteral(KESTREL_SCREENSHOT_DIR "/map-page-online.png"));
    EXPECT_GT(test::ShareOf(online, QColor(200, 230, 190)), 0.3); // the served tiles
}

} // namespace
} // namespace kestrel
