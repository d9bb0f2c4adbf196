// The texts the viewer and the map page exchange: the update message, the reading of a web
// message, the value arrays of a track, and the host object's answers.
#include "engine/SensorSamples.h"
#include "map/CGoogleMapDlgWrap.h"
#include "map/CJsonHolder.h"
#include "map/CWebView2Holder.h"
#include "map/HostWebViewObject.h"
#include "map/LocalTileSchemeHandler.h"
#include "map/MapTileSettings.h"
#include "views/ShownRecording.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(MapMessages, UpdateMessageHasItsKeysInOrderAndClosesWithoutComma) {
    CJsonHolder json;
    EXPECT_EQ(CWebView2Holder::UpdateMessage(json, QString(), 35.5, 139.25),
              QStringLiteral("{\"map_lat\":\"35.500000\",\"map_lng\":\"139.250000\","
                             "\"map_status\":\"\",\"val_command\":\"update\",\"val_end\":\"\"}"));
    EXPECT_EQ(
        CWebView2Holder::UpdateMessage(json, QStringLiteral("stop"), -33.25, -70.5),
        QStringLiteral("{\"map_lat\":\"-33.250000\",\"map_lng\":\"-70.500000\","
                       "\"map_status\":\"stop\",\"val_command\":\"update\",\"val_end\":\"\"}"));
}

TEST(MapMessages, ParseKeepsQuotedPairsOnly) {
    struct Case {
        const char* Text;
        const char* Lat;
        const char* Lng;
        const char* Status;
    } cases[] = {
        {R"({"map_lat":"1","map_status":"stop"})", "1", "", "stop"},
        {R"({"map_lat":"12:30"})", "1230", "", ""},
        // A pair that is not closed by ',' or '}' is dropped.
        {R"({"map_lat":"1","map_lng":"2")", "1", "", ""},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        CJsonHolder json;
        json.Parse(QString::fromUtf8(c.Text));
        EXPECT_EQ(json.Get(QStringLiteral("map_lat")), QString::fromUtf8(c.Lat)) << c.Text;
        EXPECT_EQ(json.Get(QStringLiteral("map_lng")), QString::fromUtf8(c.Lng)) << c.Text;
        EXPECT_EQ(json.Get(QStringLiteral("map_status")), QString::fromUtf8(c.Status)) << c.Text;
    }
}

TEST(MapMessages, ParseAddsToWhatIsThereAndReadsItsOwnMessage) {
    CJsonHolder json;
    json.Parse(CWebView2Holder::UpdateMessage(json, QStringLiteral("pause"), 1.5, 2.5));
    json.Parse(QStringLiteral(R"({"map_status":"stop"})"));
    EXPECT_EQ(json.Get(QStringLiteral("map_lat")), QStringLiteral("1.500000"));
    EXPECT_EQ(json.Get(QStringLiteral("map_status")), QStringLiteral("stop"));
    EXPECT_EQ(json.Get(QStringLiteral("val_command")), QStringLiteral("update"));
}

TEST(MapMessages, ValueArrayHoldsValidPointsThenTheirCount) {
    EXPECT_EQ(CGoogleMapDlgWrap::ValueArray({}), QVariantList{0});
    GpsSampleList samples(3);
    const struct {
        int Time, Valid;
        double Lat, Lng;
    } points[] = {{4, 1, 35.5, 139.25}, {7, 0, 1.0, 2.0}, {10, 1, -1.25, -2.5}};
    for (size_t i = 0; i < 3; ++i) {
        samples[i].Time = points[i].Time;
        samples[i].Valid = points[i].Valid;
        samples[i].Latitude = points[i].Lat;
        samples[i].Longitude = points[i].Lng;
    }
    EXPECT_EQ(CGoogleMapDlgWrap::ValueArray(ShownRecording::PointsWithFix(samples)),
              (QVariantList{35.5, 139.25, 4, -1.25, -2.5, 10, 6}));
    EXPECT_EQ(CGoogleMapDlgWrap::ValueArray(ShownRecording::PointsWithFix({samples[1]})),
              QVariantList{0});
}

TEST(MapMessages, HostObjectAnswersWithoutABridge) {
    HostWebViewObject host;
    EXPECT_EQ(host.TestMethod(QStringLiteral("abc"), -7),
              QStringLiteral("TestMethod(abc, -7) called.\n"));
    EXPECT_EQ(host.JS2C_ConnectTest(), 0);
    EXPECT_EQ(host.JS2C_GetRelJpgNum(), QStringLiteral("-1"));
    EXPECT_FALSE(host.JS2C_GetGridData(QStringLiteral("0")).isValid());
}

TEST(MapMessages, TileTemplatesGiveTheirProbeAndFolder) {
    MapTileSettings server{QStringLiteral("https://{s}.tile.example.org:8443/{z}/{x}/{y}.png"), {}};
    EXPECT_EQ(server.ProbeUrl().toString(), QStringLiteral("https://a.tile.example.org:8443/"));
    EXPECT_EQ(server.PageTemplate(), server.UrlTemplate);
    MapTileSettings folder{QStringLiteral("file:///srv/tiles/{z}/{x}/{y}.png"), {}};
    EXPECT_TRUE(folder.IsLocalFolder());
    EXPECT_FALSE(folder.ProbeUrl().isValid());
    EXPECT_EQ(folder.LocalFolder(), QStringLiteral("/srv/tiles/"));
    EXPECT_EQ(folder.PageTemplate(), QStringLiteral("kestrel-tiles:/{z}/{x}/{y}.png"));
    const MapTileSettings other{QStringLiteral("ftp://x/{z}"), {}};
    EXPECT_FALSE(other.ProbeUrl().isValid());
}

TEST(MapMessages, LocalTilesStayInsideTheirFolder) {
    const QString folder = QStringLiteral("/srv/tiles");
    EXPECT_EQ(LocalTileSchemeHandler::FileOf(folder, QStringLiteral("/3/4/5.png")),
              QStringLiteral("/srv/tiles/3/4/5.png"));
    for (const char* bad : {"/../etc/passwd", "/3/../../x.png", "/.hidden/1.png", "", "/"})
        EXPECT_EQ(LocalTileSchemeHandler::FileOf(folder, QString::fromUtf8(bad)), QString()) << bad;
}

} // namespace
} // namespace kestrel
