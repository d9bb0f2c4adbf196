// The map in the whole viewer: the main window opens a folder of generated recordings with GPS
// and events, the map page gets its tiles from a server on this machine, and the test reads
// what the page holds (lines, icons, marker) and looks at the window's pictures.
#include "CKestrelDlg.h"
#include "CardFixture.h"
#include "MapTestSupport.h"
#include "WindowSupport.h"
#include "engine/EngineContext.h"
#include "map/CGoogleMapDlg2.h"
#include "map/CGoogleMapDlgWrap.h"
#include "mkrec/MovieMaker.h"
#include "shell/AppEvent.h"
#include "skin/CSkinButton.h"
#include "transport/CTransportController.h"
#include "views/CInfoDlg.h"
#include "views/ShownRecording.h"

#include <QDir>
#include <QTest>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using test::Eval;
using test::EvalUntil;
using test::PumpUntil;

constexpr int kRecords = 60; // six seconds of one drive per recording

// Two recordings of one drive: an impact recording whose records carry the test drive's
// events (one of each kind from record 2 to 19, GPS lost from 16 to 19), then a continuous one.
class MapFolder {
  public:
    static const MapFolder& Get() {
        static MapFolder folder;
        return folder;
    }
    const fs::path& Path() const { return folder_; }
    // Every position with a fix that the records of the first recording hold.
    const std::vector<std::pair<double, double>>& Positions() const { return positions_; }

  private:
    MapFolder() {
        std::string pattern = testing::TempDir() + "kestrel-mapcard-XXXXXX";
        if (char* made = ::mkdtemp(pattern.data()))
            dir_ = made;
        folder_ = dir_ / "100_0501";
        fs::create_directories(folder_);
        const mkrec::CivilTime start{2024, 5, 1, 10, 0, 0};
        for (int i = 0; i < 2; ++i) {
            mkrec::MovieOptions m;
            m.Seconds = kRecords / 10.0;
            m.Video.Width = 320;
            m.Video.Height = 180;
            m.Drive.Start = start;
            m.Drive.FirstRecord = i * kRecords;
            m.RecordsOverride = kRecords;
            const std::string name =
                mkrec::FileStem(mkrec::AddSeconds(start, i * kRecords / 10)) + (i ? "_A" : "_G");
            const mkrec::MovieSummary made = mkrec::MakeMovie(m, folder_ / (name + ".MOV"));
            if (i > 0)
                continue;
            for (const mkrec::RecordValues& r : made.Udat.Records) {
                if (r.GpsStatus == 'A')
                    positions_.emplace_back(mkrec::DegreesFromText(r.Latitude),
                                            mkrec::DegreesFromText(r.Longitude));
            }
        }
    }
    ~MapFolder() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    fs::path dir_;
    fs::path folder_;
    std::vector<std::pair<double, double>> positions_;
};

class MapViewer : public ::testing::Test {
  protected:
    void Start(bool tilesOn) {
        tiles_.SetOn(tilesOn);
        env_ =
            std::make_unique<test::ScopedEnv>("KESTREL_TILE_URL", tiles_.Template().toStdString());
        ASSERT_TRUE(window_.Initialise(MapFolder::Get().Path()));
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
        ASSERT_TRUE(test::WaitRecordingShown(window_, 15000));
        ASSERT_TRUE(PumpUntil([&] { return window_.MapBridge()->PageReady == 1; }, 15000));
        // The track and the icons are on the page.
        ASSERT_TRUE(EvalUntil(Page(), QStringLiteral("orbitgrplist.grpline.length > 0 && "
                                                     "cplist.markers.length > 0")));
        ASSERT_TRUE(PumpUntil([&] { return window_.MapView()->isVisible(); }, 5000));
    }
    CTransportController& T() { return window_.Transport(); }
    EngineContext& E() { return *window_.Engine(); }
    QWebEnginePage* Page() { return window_.MapView()->Browser.View()->page(); }
    QVariant Queued(const QString& expression) { return test::Queued(Page(), expression); }
    QString Json(const QString& expression) {
        return Queued(QStringLiteral("JSON.stringify(%1)").arg(expression)).toString();
    }
    // Points of all the driven lines on the page.
    int DrivenPoints() {
        return Queued(QStringLiteral("orbitgrplist.histline.reduce((n, l) => n + "
                                     "l.getLatLngs().length, 0)"))
            .toInt();
    }
    // What the page shows, in the order the page holds it: colour, opacity and points of each
    // line of the whole track, and kind, frame and position of each icon.
    QString Lines() {
        return Json(QStringLiteral("orbitgrplist.grpline.map(l => [l.options.color, "
                                   "l.options.opacity, l.getLatLngs().length])"));
    }
    QString Icons() {
        return Json(QStringLiteral("cplist.markers.map(m => [g_iconurl.indexOf("
                                   "m.marker.getIcon().options.iconUrl), m.ipos, "
                                   "m.lat.toFixed(6), m.lng.toFixed(6)])"));
    }
    // The page's commands arrive in order but apart from the test's reads: the page gets a
    // moment to hold `expected`.
    ::testing::AssertionResult ShowsIcons(const QString& expected) {
        QString shown;
        if (PumpUntil([&] { return (shown = Icons()) == expected; }, 3000))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the page shows " << shown.toStdString()
                                             << "\n instead of " << expected.toStdString();
    }
    // The icons the page should hold for the shown recording's event positions: the last
    // collected first, none at (0, 0).
    QString ExpectedIcons() {
        QStringList icons;
        const std::vector<EventPosition>& events = T().Shown().EventPositions();
        for (auto it = events.rbegin(); it != events.rend(); ++it) {
            if (it->Latitude == 0.0 && it->Longitude == 0.0)
                continue;
            // Kinds with the same picture share one index of the page's table.
            const int icon =
                Queued(QStringLiteral("g_iconurl.indexOf(g_iconurl[%1])").arg(it->Kind)).toInt();
            icons << QStringLiteral("[%1,%2,\"%3\",\"%4\"]")
                         .arg(icon)
                         .arg(it->Slot)
                         .arg(it->Latitude, 0, 'f', 6)
                         .arg(it->Longitude, 0, 'f', 6);
        }
        return QLatin1Char('[') + icons.join(QLatin1Char(',')) + QLatin1Char(']');
    }
    QImage Shot(const char* name) {
        PumpUntil([] { return false; }, 500);
        const QImage shot = window_.grab().toImage();
        QDir().mkpath(QStringLiteral(KESTREL_SCREENSHOT_DIR));
        shot.save(QStringLiteral(KESTREL_SCREENSHOT_DIR "/%1.png").arg(QLatin1String(name)));
        return shot;
    }
    QRect MapArea() const { return window_.MapView()->geometry(); }

    test::TempWorkDir dir_;
    test::TileServer tiles_;
    std::unique_ptr<test::ScopedEnv> env_;
    CKestrelDlg window_;
};

TEST_F(MapViewer, TilesTrackIconsAndMarkerFollowThePlayerAndAClickSeeks) {
    Start(true);
    ASSERT_TRUE(PumpUntil([&] { return tiles_.TileRequests() > 0; }, 10000));
    for (const auto& r : tiles_.Requests()) {
        EXPECT_TRUE(r.UserAgent.startsWith("Kestrel/")) << r.Path.constData();
        EXPECT_FALSE(r.Referer.isEmpty()) << r.Path.constData();
    }
    // The whole track: both recordings' points with a fix, red at half opacity.
    const std::vector<TrackPoint>& all = T().Shown().Tracks().AllFiles;
    ASSERT_EQ(all.size(), 2u * (kRecords - 4));
    EXPECT_EQ(Lines(), QStringLiteral(R"([["#FF0000",0.5,%1]])").arg(all.size()));

    // An icon for each event, where the records put it; the radar event of record 18 has a GPS
    // sample without a fix and gets none, and the track counts as drawn all the same.
    EXPECT_TRUE(window_.MapBridge()->TrackDrawn);
    const QString icons = ExpectedIcons();
    EXPECT_TRUE(ShowsIcons(icons));
    const QVariantList markers =
        Queued(QStringLiteral("cplist.markers.map(m => [m.lat, m.lng])")).toList();
    ASSERT_GE(markers.size(), 5) << icons.toStdString();
    for (const QVariant& m : markers) {
        const double lat = m.toList().value(0).toDouble();
        const double lng = m.toList().value(1).toDouble();
        const auto& positions = MapFolder::Get().Positions();
        EXPECT_TRUE(std::any_of(positions.begin(), positions.end(),
                                [&](const auto& p) {
                                    return std::abs(p.first - lat) < 1e-6 &&
                                           std::abs(p.second - lng) < 1e-6;
                                }))
            << lat << ", " << lng;
    }

    // Playing: the driven part grows and the marker stays on the point before the frame.
    QTest::mouseClick(window_.CommandButton(2), Qt::LeftButton);
    ASSERT_EQ(E().PlayState, kPlayStatePlaying);
    ASSERT_TRUE(EvalUntil(Page(), QStringLiteral("g_lastJpgNum > 0")));
    const int drivenFirst = DrivenPoints();
    const int firstSeen = Queued(QStringLiteral("g_lastJpgNum")).toInt();
    ASSERT_TRUE(EvalUntil(Page(), QStringLiteral("g_lastJpgNum > %1").arg(firstSeen + 20)));
    QTest::mouseClick(window_.CommandButton(2), Qt::LeftButton);
    ASSERT_EQ(E().PlayState, kPlayStatePaused);
    const int drivenLater = DrivenPoints();
    EXPECT_GT(drivenLater, drivenFirst);
    EXPECT_GT(drivenFirst, 0);
    const int seen = Queued(QStringLiteral("g_lastJpgNum")).toInt();
    EXPECT_LE(seen, window_.MapPosition().Frame);
    EXPECT_GE(seen, window_.MapPosition().Frame - 40) << "at most about a second behind";
    const std::vector<TrackPoint>& shown = *T().Shown().Tracks().Recording;
    auto before = std::find_if(shown.begin(), shown.end(),
                               [&](const TrackPoint& p) { return p.Time >= seen; });
    if (before != shown.begin())
        --before;
    EXPECT_NEAR(Queued(QStringLiteral("g_marker.getLatLng().lat")).toDouble(), before->Latitude,
                1e-9);
    EXPECT_NEAR(Queued(QStringLiteral("g_marker.getLatLng().lng")).toDouble(), before->Longitude,
                1e-9);
    EXPECT_EQ(Json(QStringLiteral("orbitgrplist.histline.map(l => l.options.color)")),
              QStringLiteral(R"(["#0000FF"])"));

    const QImage online = Shot("map-viewer-online");
    EXPECT_GT(test::ShareOf(online, QColor(200, 230, 190), MapArea()), 0.3) << "the served tiles";
    EXPECT_GT(test::ShareOf(online, QColor(0, 0, 255), MapArea(), 60), 0.0) << "the driven part";
    EXPECT_GT(test::ShareOf(online, QColor(255, 0, 0), MapArea(), 60), 0.0) << "the part ahead";

    // A click on an icon seeks the player to the frame of the icon on top there.
    const QVariantList hit =
        Queued(
            QStringLiteral("(() => { const m = cplist.markers[cplist.markers.length - 1].marker; "
                           "const p = g_map.latLngToContainerPoint(m.getLatLng()); "
                           "const on = document.elementFromPoint(p.x, p.y - 16); "
                           "const top = cplist.markers.find(c => c.marker.getElement() === on); "
                           "return [p.x, p.y - 16, top ? top.ipos : -1]; })()"))
            .toList();
    ASSERT_EQ(hit.size(), 3);
    const int target = hit[2].toInt();
    ASSERT_GE(target, 0) << "an icon is under the point";
    ASSERT_NE(target, window_.InfoView()->Slot);
    QWebEngineView* view = window_.MapView()->Browser.View();
    const QPoint at(qRound(hit[0].toDouble() * view->zoomFactor()),
                    qRound(hit[1].toDouble() * view->zoomFactor()));
    ASSERT_NE(view->focusProxy(), nullptr);
    QTest::mouseClick(view->focusProxy(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_TRUE(PumpUntil([&] { return window_.InfoView()->Slot == target; }, 5000))
        << "clicked " << at.x() << "," << at.y() << " for frame " << target << ", shown "
        << window_.InfoView()->Slot;

    // The X axis button hides the G events of that axis on the map too, and shows them again.
    const auto hasX = [&] {
        const std::vector<EventPosition>& events = T().Shown().EventPositions();
        return std::any_of(events.begin(), events.end(),
                           [](const EventPosition& e) { return e.Entry == 0; });
    };
    ASSERT_TRUE(hasX()) << "the drive has an X event";
    PostAppEvent(&window_, WM_APP_AXIS_TOGGLE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !hasX(); }, 2000));
    EXPECT_TRUE(ShowsIcons(ExpectedIcons()));
    EXPECT_LT(Queued(QStringLiteral("cplist.markers.length")).toInt(), markers.size());
    PostAppEvent(&window_, WM_APP_AXIS_TOGGLE, 0, 1);
    ASSERT_TRUE(PumpUntil(hasX, 2000));
    EXPECT_TRUE(ShowsIcons(icons));
}

TEST_F(MapViewer, OfflineTheLinesIconsAndMarkerStayWithoutTiles) {
    Start(false);
    ASSERT_TRUE(
        EvalUntil(Page(), QStringLiteral("!document.getElementById('offline_note').hidden")));
    EXPECT_EQ(tiles_.TileRequests(), 0);
    EXPECT_FALSE(Eval(Page(), QStringLiteral("g_map.hasLayer(g_tiles)")).toBool());
    EXPECT_EQ(Lines(),
              QStringLiteral(R"([["#FF0000",0.5,%1]])").arg(T().Shown().Tracks().AllFiles.size()));
    EXPECT_TRUE(ShowsIcons(ExpectedIcons()));

    QTest::mouseClick(window_.CommandButton(2), Qt::LeftButton);
    ASSERT_EQ(E().PlayState, kPlayStatePlaying);
    ASSERT_TRUE(EvalUntil(Page(), QStringLiteral("g_lastJpgNum > 30 && "
                                                 "orbitgrplist.histline.length > 0")));
    QTest::mouseClick(window_.CommandButton(2), Qt::LeftButton);
    const QImage offline = Shot("map-viewer-offline");
    EXPECT_GT(test::ShareOf(offline, QColor(30, 34, 39), MapArea()), 0.5) << "the plain background";
    EXPECT_GT(test::ShareOf(offline, QColor(0, 0, 255), MapArea(), 60), 0.0) << "the driven part";
    EXPECT_LT(test::ShareOf(offline, QColor(200, 230, 190), MapArea()), 0.01) << "no tiles";
}

} // namespace
} // namespace kestrel
